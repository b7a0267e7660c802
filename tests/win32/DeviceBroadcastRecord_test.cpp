// WM_DEVICECHANGE records: the registration filter, and reading a record into the
// core's DeviceBroadcast without reading past the record.

#include "app/win32/DeviceBroadcastRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace vantrel;
using namespace vantrel::win32;

namespace {

const GUID kHidGuid = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

}  // namespace

TEST(InterfaceFilter, AsksForTheInterfacesOfOneClassInA32ByteRecord) {
    const DEV_BROADCAST_DEVICEINTERFACE_W filter = InterfaceFilter(kHidGuid);
    EXPECT_EQ(filter.dbcc_size, 32u);
    EXPECT_EQ(filter.dbcc_devicetype, static_cast<DWORD>(DBT_DEVTYP_DEVICEINTERFACE));
    EXPECT_EQ(std::memcmp(&filter.dbcc_classguid, &kHidGuid, sizeof(GUID)), 0);
    EXPECT_EQ(filter.dbcc_reserved, 0u);
}

TEST(ReadDeviceBroadcast, ReadsTheNameOfABuiltRecord) {
    const std::wstring name =
        L"\\\\?\\HID#VID_0416&PID_5020#7&1a2b3c4d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
    const InterfaceBroadcast record(kHidGuid, name);
    EXPECT_EQ(record.Header()->dbch_size, kInterfaceNameOffset + (name.size() + 1) * 2);
    const DeviceBroadcast broadcast = ReadDeviceBroadcast(*record.Header());
    EXPECT_EQ(broadcast.deviceType, kDbtDevtypDeviceInterface);
    EXPECT_EQ(broadcast.name, name);
}

TEST(ReadDeviceBroadcast, StopsAtTheRecordsEndWithoutATerminator) {
    // A record whose size covers only three characters of a longer, unterminated name.
    std::vector<uint64_t> storage(16, 0);
    auto* record = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(storage.data());
    record->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    wchar_t* text =
        reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(record) + kInterfaceNameOffset);
    const wchar_t letters[] = L"ABCDEFGH";
    std::memcpy(text, letters, 8 * sizeof(wchar_t));
    record->dbcc_size = static_cast<DWORD>(kInterfaceNameOffset + 3 * sizeof(wchar_t));
    EXPECT_EQ(ReadDeviceBroadcast(*reinterpret_cast<DEV_BROADCAST_HDR*>(record)).name, L"ABC");

    record->dbcc_size = static_cast<DWORD>(kInterfaceNameOffset);
    EXPECT_EQ(ReadDeviceBroadcast(*reinterpret_cast<DEV_BROADCAST_HDR*>(record)).name, L"");
}

TEST(ReadDeviceBroadcast, OtherDeviceTypesCarryNoName) {
    DEV_BROADCAST_VOLUME volume{};
    volume.dbcv_size = sizeof(volume);
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    volume.dbcv_unitmask = 0x4;
    // Delivered as the system does: a buffer that starts with the common header.
    std::vector<uint64_t> storage(4, 0);
    std::memcpy(storage.data(), &volume, sizeof(volume));
    const DeviceBroadcast broadcast =
        ReadDeviceBroadcast(*reinterpret_cast<const DEV_BROADCAST_HDR*>(storage.data()));
    EXPECT_EQ(broadcast.deviceType, static_cast<uint32_t>(DBT_DEVTYP_VOLUME));
    EXPECT_TRUE(broadcast.name.empty());
}
