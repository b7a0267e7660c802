#include "link/DeviceEvents.h"

#include "common/WindowSystem.h"

namespace vantrel {

PollingDeviceEvents::PollingDeviceEvents(IHidPlatform& platform, IClock& clock, uint32_t intervalMs)
    : m_platform(platform), m_clock(clock), m_intervalMs(intervalMs) {
    m_lastLook = m_clock.GetTickCount();
    std::vector<std::wstring> paths;
    if (m_platform.EnumerateInterfaces(paths)) m_present.insert(paths.begin(), paths.end());
}

std::vector<DeviceChange> PollingDeviceEvents::TakeEvents() {
    std::vector<DeviceChange> events;
    const uint32_t now = m_clock.GetTickCount();
    if (now - m_lastLook < m_intervalMs) return events;
    m_lastLook = now;

    std::vector<std::wstring> paths;
    // A failed look says nothing about the devices: keep the last set.
    if (!m_platform.EnumerateInterfaces(paths)) return events;
    const std::set<std::wstring> present(paths.begin(), paths.end());
    for (const std::wstring& path : m_present) {
        if (present.count(path) == 0) {
            events.push_back(DeviceChange{kDbtDeviceRemoveComplete,
                                          DeviceBroadcast{kDbtDevtypDeviceInterface, path}});
        }
    }
    for (const std::wstring& path : paths) {
        if (m_present.count(path) == 0) {
            events.push_back(
                DeviceChange{kDbtDeviceArrival, DeviceBroadcast{kDbtDevtypDeviceInterface, path}});
        }
    }
    m_present = present;
    return events;
}

}  // namespace vantrel
