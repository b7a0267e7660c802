#pragma once
// The operating system's HID backend and the source of its device notifications:
// hidraw with a udev monitor on Linux (link/hidraw); SetupAPI/HID on Windows
// (link/win32), with a message-only window of its own for a program that has no
// window to receive WM_DEVICECHANGE. The build compiles the backend folder of its
// system, which defines MakeOsBackend.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "link/DeviceEvents.h"
#include "link/HidPlatform.h"

namespace vantrel {

// How often device events are looked for where the system delivers none.
constexpr uint32_t kDevicePollIntervalMs = 250;

// A device node that is present but cannot be opened for reading and writing.
struct UnopenableNode {
    std::string devnode;
    int error = 0;  // errno of the failed open
};

// What a front end asks of its backend beyond the system's calls.
struct OsBackendPolicy {
    // Open reuses the interface list of its last enumeration while no device came or
    // went (RememberingPlatform), where the backend has notifications to tell it so.
    // The command-line tool asks for it; the dialog keeps a full enumeration per Open.
    bool rememberInterfaces = false;
    // The family whose interfaces are asked for their attributes on every Open (the
    // writer's vendor and product id: its version changes on the same path).
    uint16_t freshVendorId = 0;
    uint16_t freshProductId = 0;
};

class OsBackend {
public:
    virtual ~OsBackend() = default;
    virtual IHidPlatform& Platform() = 0;
    // Device events seen through `platform` (the platform that the core uses, which
    // may wrap Platform()).
    virtual std::unique_ptr<IDeviceEventSource> MakeEvents(IHidPlatform& platform,
                                                           IClock& clock) = 0;
    // The nodes of the device vendorId:productId that are present but cannot be
    // opened (for want of permission, for instance); none where the backend
    // cannot tell.
    virtual std::vector<UnopenableNode> UnopenableNodes(uint16_t vendorId, uint16_t productId) {
        (void)vendorId;
        (void)productId;
        return {};
    }
};

std::unique_ptr<OsBackend> MakeOsBackend(const OsBackendPolicy& policy = OsBackendPolicy());

}  // namespace vantrel
