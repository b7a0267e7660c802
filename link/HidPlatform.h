#pragma once
// The narrow interface between CHidDevice and the operating system's HID calls.
// Backends: Windows (SetupAPI, HidD_*, overlapped I/O), Linux (hidraw + libudev),
// the simulated writer, and the fakes of the tests.

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

using HidHandle = intptr_t;
constexpr HidHandle kInvalidHidHandle = -1;

struct HidAttributes {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t versionNumber = 0;
};

// How one transfer ended.
enum class HidIo {
    Completed,           // the request completed; `transferred` holds its byte count
    CompletedWithError,  // the request completed, but the transfer itself failed
    Refused,             // the request could not be issued at all
    TimedOut,            // nothing within the wait; the request has been withdrawn
    Cancelled,           // the wait was ended by the cancel event
};

class IHidPlatform {
public:
    virtual ~IHidPlatform() = default;

    // The device paths of the HID interfaces present, in enumeration order. false
    // when the set of interfaces cannot be obtained (or memory for it runs out).
    virtual bool EnumerateInterfaces(std::vector<std::wstring>& paths) = 0;
    // Opens `path` for querying only, reads its HID attributes and closes it again.
    // false when the path cannot be opened or the attributes cannot be read.
    virtual bool QueryAttributes(const std::wstring& path, HidAttributes& attributes) = 0;
    // Opens `path` for overlapped reading / writing. kInvalidHidHandle on failure.
    virtual HidHandle OpenForRead(const std::wstring& path) = 0;
    virtual HidHandle OpenForWrite(const std::wstring& path) = 0;
    virtual void Close(HidHandle handle) = 0;
    // Writes `length` bytes (a whole report, report id first) and waits at most
    // `timeoutMs` for the request. A request that did not complete in time is
    // withdrawn before this returns: it never completes later into `report`.
    virtual HidIo Write(HidHandle handle, const uint8_t* report, uint32_t length,
                        uint32_t timeoutMs, uint32_t& transferred) = 0;
    // Reads one report of up to `length` bytes into `report`, waiting at most
    // `timeoutMs`; the same rule for requests that time out.
    virtual HidIo Read(HidHandle handle, uint8_t* report, uint32_t length, uint32_t timeoutMs,
                       uint32_t& transferred) = 0;
    // Where the device of interface `path` is plugged in (a USB port path such as
    // "1-2.3" on Linux, the USB device's location path on Windows, "sim-2" on the
    // simulated bus). It stays the same while the writer restarts between its
    // application and its boot loader, whose interface paths differ. false when
    // the backend cannot tell.
    virtual bool InterfaceLocation(const std::wstring& path, std::wstring& location) {
        (void)path;
        location.clear();
        return false;
    }
    // Called by CHidDevice::Open when the interfaces that EnumerateInterfaces gave
    // did not yield an open writer. A layer that handed out a remembered list forgets
    // it and answers true, so that Open enumerates afresh at once; the backends of
    // the system answer false (they always enumerate) and Open ends as it did.
    virtual bool ForgetRememberedList() { return false; }
    // The device node that interface `path` is reached through, as a user may name
    // it ("/dev/hidraw3"); empty when the backend has no such nodes.
    virtual std::string DeviceNodeOf(const std::wstring& path) {
        (void)path;
        return std::string();
    }
};

}  // namespace vantrel
