#pragma once
// Where the device arrivals and removals that presence tracking needs come from:
// the simulated writer's own events, the udev monitor on Linux, or, where the CLI
// has no window to receive notifications, a comparison of the HID interfaces
// present from one look to the next.

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/VantrelCore.h"
#include "common/Clock.h"
#include "link/HidPlatform.h"

namespace vantrel::cli {

// An event type (kDbtDeviceArrival, kDbtDeviceRemoveComplete) and its broadcast.
using DeviceEvent = std::pair<uint32_t, DeviceBroadcast>;

class IDeviceEventSource {
public:
    virtual ~IDeviceEventSource() = default;
    // The events that happened since the last call, oldest first.
    virtual std::vector<DeviceEvent> TakeEvents() = 0;
};

// No events at all.
class NoDeviceEvents : public IDeviceEventSource {
public:
    std::vector<DeviceEvent> TakeEvents() override { return {}; }
};

// Looks at the set of HID interfaces at most every `intervalMs` (on `clock`) and
// reports paths that appeared as arrivals and paths that went away as removals,
// as the system's device notifications would.
class PollingDeviceEvents : public IDeviceEventSource {
public:
    PollingDeviceEvents(IHidPlatform& platform, IClock& clock, uint32_t intervalMs);
    std::vector<DeviceEvent> TakeEvents() override;

private:
    IHidPlatform& m_platform;
    IClock& m_clock;
    uint32_t m_intervalMs;
    uint32_t m_lastLook;
    std::set<std::wstring> m_present;
};

}  // namespace vantrel::cli
