#include "link/hidraw/HidrawMonitor.h"

#include <libudev.h>
#include <poll.h>

#include <cerrno>

#include "common/Types.h"
#include "link/hidraw/HidrawNames.h"

namespace vantrel::hidraw {

std::optional<HidrawDeviceChange> DeviceChangeFor(const std::string& action,
                                                  const std::string& syspath,
                                                  const std::string& devnode) {
    if (devnode.empty()) return std::nullopt;
    HidrawDeviceChange change;
    if (action == "add")
        change.eventType = kDbtDeviceArrival;
    else if (action == "remove")
        change.eventType = kDbtDeviceRemoveComplete;
    else
        return std::nullopt;
    change.deviceType = kDbtDevtypDeviceInterface;
    change.name = InterfaceName(syspath, devnode);
    return change;
}

HidrawMonitor::HidrawMonitor() {
    m_udev = udev_new();
    if (m_udev == nullptr) return;
    // Events from udev itself, after its rules have run (so permissions are set).
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (m_monitor == nullptr) return;
    if (udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(m_monitor) < 0) {
        udev_monitor_unref(m_monitor);
        m_monitor = nullptr;
    }
}

HidrawMonitor::~HidrawMonitor() {
    if (m_monitor != nullptr) udev_monitor_unref(m_monitor);
    if (m_udev != nullptr) udev_unref(m_udev);
}

int HidrawMonitor::Fd() const { return m_monitor ? udev_monitor_get_fd(m_monitor) : -1; }

std::vector<HidrawDeviceChange> HidrawMonitor::TakeChanges(int timeoutMs) {
    std::vector<HidrawDeviceChange> changes;
    if (m_monitor == nullptr) return changes;
    int wait = timeoutMs;
    for (;;) {
        pollfd entry{Fd(), POLLIN, 0};
        const int ready = ::poll(&entry, 1, wait);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;
        udev_device* device = udev_monitor_receive_device(m_monitor);
        if (device == nullptr) break;
        auto text = [](const char* value) { return value ? std::string(value) : std::string(); };
        if (auto change = DeviceChangeFor(text(udev_device_get_action(device)),
                                          text(udev_device_get_syspath(device)),
                                          text(udev_device_get_devnode(device)))) {
            changes.push_back(std::move(*change));
        }
        udev_device_unref(device);
        wait = 0;  // take what else is waiting, without waiting again
    }
    return changes;
}

}  // namespace vantrel::hidraw
