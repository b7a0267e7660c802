#include "cli/DeviceEvents.h"

#include "common/Types.h"

namespace vantrel::cli {

PollingDeviceEvents::PollingDeviceEvents(IHidPlatform& platform, IClock& clock, uint32_t intervalMs)
    : m_platform(platform), m_clock(clock), m_intervalMs(intervalMs) {
    m_lastLook = m_clock.GetTickCount();
    std::vector<std::wstring> paths;
    if (m_platform.EnumerateInterfaces(paths)) m_present.insert(paths.begin(), paths.end());
}

std::vector<DeviceEvent> PollingDeviceEvents::TakeEvents() {
    std::vector<DeviceEvent> events;
    const uint32_t now = m_clock.GetTickCount();
    if (now - m_lastLook < m_intervalMs) return events;
    m_lastLook = now;

    std::vector<std::wstring> paths;
    // A failed look says nothing about the devices: keep the last set.
    if (!m_platform.EnumerateInterfaces(paths)) return events;
    const std::set<std::wstring> present(paths.begin(), paths.end());
    for (const std::wstring& path : m_present) {
        if (present.count(path) == 0) {
            events.emplace_back(kDbtDeviceRemoveComplete,
                                DeviceBroadcast{kDbtDevtypDeviceInterface, path});
        }
    }
    for (const std::wstring& path : paths) {
        if (m_present.count(path) == 0) {
            events.emplace_back(kDbtDeviceArrival,
                                DeviceBroadcast{kDbtDevtypDeviceInterface, path});
        }
    }
    m_present = present;
    return events;
}

}  // namespace vantrel::cli
