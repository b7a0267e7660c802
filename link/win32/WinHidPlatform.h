#pragma once
// The HID platform on Windows: SetupAPI enumerates the HID device interfaces
// present, HidD_GetAttributes reads their vendor id, product id and version
// number, and reports travel by overlapped ReadFile / WriteFile.
//
// Every transfer waits on a cancel event (listed first) and the request's own
// manual-reset event. A request that did not complete within its wait is
// cancelled with CancelIoEx, and its completion is waited for before the call
// returns: no request ever completes later into a buffer or request record that
// has since been reused. A report that completes during that withdrawal is kept.

#include <windows.h>

#include <string>
#include <vector>

#include "link/HidPlatform.h"

namespace vantrel::win32 {

class WinHidPlatform : public IHidPlatform {
public:
    WinHidPlatform();
    ~WinHidPlatform() override;
    WinHidPlatform(const WinHidPlatform&) = delete;
    WinHidPlatform& operator=(const WinHidPlatform&) = delete;

    bool EnumerateInterfaces(std::vector<std::wstring>& paths) override;
    bool QueryAttributes(const std::wstring& path, HidAttributes& attributes) override;
    HidHandle OpenForRead(const std::wstring& path) override;
    HidHandle OpenForWrite(const std::wstring& path) override;
    void Close(HidHandle handle) override;
    HidIo Write(HidHandle handle, const uint8_t* report, uint32_t length, uint32_t timeoutMs,
                uint32_t& transferred) override;
    // The first of SetupAPI's location paths of the HID device's parent (the USB
    // device, or the USB interface of a composite device, whose "#USBMI(n)" is cut
    // off so that both modes of the writer name the same port).
    bool InterfaceLocation(const std::wstring& path, std::wstring& location) override;
    HidIo Read(HidHandle handle, uint8_t* report, uint32_t length, uint32_t timeoutMs,
               uint32_t& transferred) override;

    // The HID device interface class, for RegisterDeviceNotificationW.
    static GUID HidInterfaceClass();

private:
    HidIo Transfer(bool reading, HANDLE file, void* buffer, uint32_t length, uint32_t timeoutMs,
                   uint32_t& transferred);

    HANDLE m_readEvent;    // manual reset; the event of every read request
    HANDLE m_writeEvent;   // manual reset; the event of every write request
    HANDLE m_cancelEvent;  // manual reset; ends a wait early. Nothing signals it.
};

}  // namespace vantrel::win32
