#include "link/win32/WinHidPlatform.h"

#include <cfgmgr32.h>
#include <setupapi.h>

#include <cstddef>
#include <cstdlib>
#include <memory>

// mingw's hidsdi.h has no C++ guard.
extern "C" {
#include <hidsdi.h>
}

namespace vantrel::win32 {

namespace {

HANDLE ToHandle(HidHandle handle) { return reinterpret_cast<HANDLE>(handle); }

HidHandle FromHandle(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? kInvalidHidHandle : reinterpret_cast<HidHandle>(handle);
}

HANDLE OpenInterface(const std::wstring& path, DWORD access, DWORD flags) {
    return ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, flags, nullptr);
}

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

}  // namespace

WinHidPlatform::WinHidPlatform()
    : m_readEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_writeEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_cancelEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

WinHidPlatform::~WinHidPlatform() {
    for (HANDLE event : {m_readEvent, m_writeEvent, m_cancelEvent})
        if (event != nullptr) ::CloseHandle(event);
}

GUID WinHidPlatform::HidInterfaceClass() {
    GUID guid;
    ::HidD_GetHidGuid(&guid);
    return guid;
}

bool WinHidPlatform::EnumerateInterfaces(std::vector<std::wstring>& paths) {
    paths.clear();
    GUID guid = HidInterfaceClass();
    HDEVINFO set =
        ::SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return false;

    bool ok = true;
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA interfaceData{};
        interfaceData.cbSize = sizeof interfaceData;
        if (!::SetupDiEnumDeviceInterfaces(set, nullptr, &guid, index, &interfaceData)) break;

        DWORD size = 0;
        ::SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, nullptr, 0, &size, nullptr);
        if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
        std::unique_ptr<void, FreeDeleter> memory(std::malloc(size));
        if (!memory) {
            ok = false;
            break;
        }
        auto* detail = static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(memory.get());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);  // the fixed part
        if (!::SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, detail, size, nullptr,
                                                nullptr)) {
            continue;
        }
        // DevicePath is NUL-terminated within `size`.
        const size_t chars =
            (size - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath)) / sizeof(wchar_t);
        paths.emplace_back(detail->DevicePath, wcsnlen(detail->DevicePath, chars));
    }
    ::SetupDiDestroyDeviceInfoList(set);
    if (!ok) paths.clear();
    return ok;
}

bool WinHidPlatform::QueryAttributes(const std::wstring& path, HidAttributes& attributes) {
    // No access rights: querying only, which works even for devices that others
    // hold open exclusively.
    HANDLE query = OpenInterface(path, 0, FILE_ATTRIBUTE_NORMAL);
    if (query == INVALID_HANDLE_VALUE) return false;
    HIDD_ATTRIBUTES hid{};
    hid.Size = sizeof hid;
    const BOOLEAN ok = ::HidD_GetAttributes(query, &hid);
    ::CloseHandle(query);
    if (!ok) return false;
    attributes.vendorId = hid.VendorID;
    attributes.productId = hid.ProductID;
    attributes.versionNumber = hid.VersionNumber;
    return true;
}

bool WinHidPlatform::InterfaceLocation(const std::wstring& path, std::wstring& location) {
    location.clear();
    HDEVINFO set = ::SetupDiCreateDeviceInfoList(nullptr, nullptr);
    if (set == INVALID_HANDLE_VALUE) return false;
    bool found = false;
    SP_DEVICE_INTERFACE_DATA interfaceData{};
    interfaceData.cbSize = sizeof interfaceData;
    SP_DEVINFO_DATA hidDevice{};
    hidDevice.cbSize = sizeof hidDevice;
    DEVINST parent = 0;
    wchar_t parentId[MAX_DEVICE_ID_LEN + 1] = {};
    SP_DEVINFO_DATA parentDevice{};
    parentDevice.cbSize = sizeof parentDevice;
    DWORD size = 0;
    std::unique_ptr<void, FreeDeleter> memory;
    if (::SetupDiOpenDeviceInterfaceW(set, path.c_str(), 0, &interfaceData)) {
        ::SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, nullptr, 0, &size, nullptr);
        if (size >= sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) memory.reset(std::malloc(size));
    }
    auto* detail = static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(memory.get());
    if (detail != nullptr) detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (detail != nullptr &&
        ::SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, detail, size, nullptr,
                                           &hidDevice) &&
        ::CM_Get_Parent(&parent, hidDevice.DevInst, 0) == CR_SUCCESS &&
        ::CM_Get_Device_IDW(parent, parentId, MAX_DEVICE_ID_LEN, 0) == CR_SUCCESS &&
        ::SetupDiOpenDeviceInfoW(set, parentId, nullptr, 0, &parentDevice)) {
        // REG_MULTI_SZ: the first path is the one of the USB bus.
        wchar_t paths[1024] = {};
        DWORD type = 0;
        if (::SetupDiGetDeviceRegistryPropertyW(set, &parentDevice, SPDRP_LOCATION_PATHS, &type,
                                                reinterpret_cast<BYTE*>(paths),
                                                sizeof paths - sizeof(wchar_t), nullptr) &&
            paths[0] != L'\0') {
            location = paths;
            const size_t interfacePart = location.rfind(L"#USBMI(");
            if (interfacePart != std::wstring::npos) location.erase(interfacePart);
            found = true;
        }
    }
    ::SetupDiDestroyDeviceInfoList(set);
    return found;
}

HidHandle WinHidPlatform::OpenForRead(const std::wstring& path) {
    return FromHandle(
        OpenInterface(path, GENERIC_READ, FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL));
}

HidHandle WinHidPlatform::OpenForWrite(const std::wstring& path) {
    return FromHandle(
        OpenInterface(path, GENERIC_WRITE, FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL));
}

void WinHidPlatform::Close(HidHandle handle) {
    if (handle != kInvalidHidHandle) ::CloseHandle(ToHandle(handle));
}

HidIo WinHidPlatform::Transfer(bool reading, HANDLE file, void* buffer, uint32_t length,
                               uint32_t timeoutMs, uint32_t& transferred) {
    transferred = 0;
    HANDLE event = reading ? m_readEvent : m_writeEvent;
    if (file == INVALID_HANDLE_VALUE || event == nullptr || m_cancelEvent == nullptr)
        return HidIo::Refused;

    OVERLAPPED request{};
    request.hEvent = event;
    const BOOL issued = reading ? ::ReadFile(file, buffer, length, nullptr, &request)
                                : ::WriteFile(file, buffer, length, nullptr, &request);
    if (!issued && ::GetLastError() != ERROR_IO_PENDING) return HidIo::Refused;

    HANDLE waits[2] = {m_cancelEvent, event};
    const DWORD woke = ::WaitForMultipleObjects(2, waits, FALSE, timeoutMs);
    DWORD bytes = 0;
    if (woke == WAIT_OBJECT_0 + 1) {
        ::ResetEvent(event);
        const BOOL done = ::GetOverlappedResult(file, &request, &bytes, TRUE);
        transferred = bytes;
        return done ? HidIo::Completed : HidIo::CompletedWithError;
    }

    // Time-out, a failed wait or the cancel event: withdraw the request and wait
    // until the system has let go of `request` and `buffer`.
    if (woke == WAIT_OBJECT_0) ::ResetEvent(m_cancelEvent);
    ::CancelIoEx(file, &request);
    const BOOL done = ::GetOverlappedResult(file, &request, &bytes, TRUE);
    ::ResetEvent(event);
    if (done && bytes > 0) {
        // It completed after all, before the cancellation reached it.
        transferred = bytes;
        return HidIo::Completed;
    }
    return woke == WAIT_OBJECT_0 ? HidIo::Cancelled : HidIo::TimedOut;
}

HidIo WinHidPlatform::Write(HidHandle handle, const uint8_t* report, uint32_t length,
                            uint32_t timeoutMs, uint32_t& transferred) {
    return Transfer(false, ToHandle(handle), const_cast<uint8_t*>(report), length, timeoutMs,
                    transferred);
}

HidIo WinHidPlatform::Read(HidHandle handle, uint8_t* report, uint32_t length, uint32_t timeoutMs,
                           uint32_t& transferred) {
    return Transfer(true, ToHandle(handle), report, length, timeoutMs, transferred);
}

}  // namespace vantrel::win32
