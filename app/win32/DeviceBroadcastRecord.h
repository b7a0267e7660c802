#pragma once
// The device-change records of WM_DEVICECHANGE: the registration filter for HID
// interfaces, reading a record into the core's DeviceBroadcast, and building a
// record the way the system delivers one (for the simulated writer's events).

#include <windows.h>
// windows.h first: dbt.h relies on its types.
#include <dbt.h>

#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "app/VantrelCore.h"

namespace vantrel::win32 {

// The record is 32 bytes on both 32-bit and 64-bit Windows (the one-character name
// array is padded to the GUID's alignment); dbcc_size carries exactly that.
static_assert(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) == 32);

inline constexpr size_t kInterfaceNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);

// The filter that asks for arrivals and removals of the interfaces of `classGuid`.
inline DEV_BROADCAST_DEVICEINTERFACE_W InterfaceFilter(const GUID& classGuid) {
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = classGuid;
    return filter;
}

// The core's view of a record: its device type and, for a device interface, its
// name. The name is read no further than the record's own size says, so a record
// without a terminating NUL cannot make it read past its end.
inline DeviceBroadcast ReadDeviceBroadcast(const DEV_BROADCAST_HDR& header) {
    DeviceBroadcast broadcast;
    broadcast.deviceType = header.dbch_devicetype;
    if (header.dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE &&
        header.dbch_size > kInterfaceNameOffset) {
        const auto* record = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(&header);
        const size_t maxChars = (header.dbch_size - kInterfaceNameOffset) / sizeof(wchar_t);
        broadcast.name.assign(record->dbcc_name, wcsnlen(record->dbcc_name, maxChars));
    }
    return broadcast;
}

// A device-interface record for `name`, as the system builds one: the name with its
// NUL follows the fixed part, and dbcc_size counts both.
class InterfaceBroadcast {
public:
    InterfaceBroadcast(const GUID& classGuid, const std::wstring& name) {
        const size_t size = kInterfaceNameOffset + (name.size() + 1) * sizeof(wchar_t);
        m_storage.assign((size + sizeof(uint64_t) - 1) / sizeof(uint64_t), 0);
        auto* record = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(m_storage.data());
        record->dbcc_size = static_cast<DWORD>(size);
        record->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        record->dbcc_classguid = classGuid;
        wchar_t* text =
            reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(record) + kInterfaceNameOffset);
        name.copy(text, name.size());
        text[name.size()] = L'\0';
    }

    const DEV_BROADCAST_HDR* Header() const {
        return reinterpret_cast<const DEV_BROADCAST_HDR*>(m_storage.data());
    }

private:
    std::vector<uint64_t> m_storage;  // 8-byte units keep the GUID aligned
};

}  // namespace vantrel::win32
