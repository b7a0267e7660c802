#pragma once
// The device events of the udev monitor, for presence tracking.

#include <vector>

#include "link/DeviceEvents.h"
#include "link/hidraw/HidrawMonitor.h"

namespace vantrel::hidraw {

class UdevDeviceEvents : public IDeviceEventSource {
public:
    std::vector<DeviceChange> TakeEvents() override { return m_monitor.TakeChanges(0); }
    bool IsListening() const { return m_monitor.IsListening(); }

private:
    HidrawMonitor m_monitor;
};

}  // namespace vantrel::hidraw
