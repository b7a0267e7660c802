#pragma once
// Where the device arrivals and removals that presence tracking needs come from:
// the simulated writer's own events, the udev monitor on Linux (link/hidraw), or,
// where a program has no window to receive notifications, a comparison of the HID
// interfaces present from one look to the next.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "common/DeviceChange.h"
#include "link/HidPlatform.h"

namespace vantrel {

class IDeviceEventSource {
public:
    virtual ~IDeviceEventSource() = default;
    // The events that happened since the last call, oldest first.
    virtual std::vector<DeviceChange> TakeEvents() = 0;
};

// No events at all.
class NoDeviceEvents : public IDeviceEventSource {
public:
    std::vector<DeviceChange> TakeEvents() override { return {}; }
};

// Looks at the set of HID interfaces at most every `intervalMs` (on `clock`) and
// reports paths that appeared as arrivals and paths that went away as removals,
// as the system's device notifications would.
class PollingDeviceEvents : public IDeviceEventSource {
public:
    PollingDeviceEvents(IHidPlatform& platform, IClock& clock, uint32_t intervalMs);
    std::vector<DeviceChange> TakeEvents() override;

private:
    IHidPlatform& m_platform;
    IClock& m_clock;
    uint32_t m_intervalMs;
    uint32_t m_lastLook;
    std::set<std::wstring> m_present;
};

}  // namespace vantrel
