#pragma once
// The operating system's HID backend for vantrel-cli and the source of its device
// notifications: hidraw with a udev monitor on Linux; SetupAPI/HID with a look at
// the interfaces present every few hundred milliseconds on Windows, where the
// console program has no window to receive WM_DEVICECHANGE.

#include <memory>
#include <string>

#include "cli/DeviceEvents.h"
#include "common/Clock.h"
#include "link/HidPlatform.h"

namespace vantrel::cli {

class OsBackend {
public:
    virtual ~OsBackend() = default;
    virtual IHidPlatform& Platform() = 0;
    // Device events seen through `platform` (the platform that the core uses, which
    // may wrap Platform()).
    virtual std::unique_ptr<IDeviceEventSource> MakeEvents(IHidPlatform& platform,
                                                           IClock& clock) = 0;
    // When no writer was found: a plain explanation if a writer is attached but
    // cannot be opened (and how to fix it), for standard error; empty otherwise.
    virtual std::wstring InaccessibleWriterHint() { return std::wstring(); }
};

std::unique_ptr<OsBackend> MakeOsBackend();

}  // namespace vantrel::cli
