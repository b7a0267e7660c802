#include "link/hidraw/HidrawMonitor.h"

#include <libudev.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "common/WindowSystem.h"
#include "link/hidraw/HidrawEventMerge.h"
#include "link/hidraw/HidrawNames.h"

namespace vantrel::hidraw {

namespace {

udev_monitor* Listen(udev* context, const char* source) {
    udev_monitor* monitor = udev_monitor_new_from_netlink(context, source);
    if (monitor == nullptr) return nullptr;
    if (udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0) {
        udev_monitor_unref(monitor);
        return nullptr;
    }
    return monitor;
}

uint64_t NowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::string Text(const char* value) { return value ? std::string(value) : std::string(); }

// The change one waiting event of `monitor` makes, if any; false when nothing waits.
bool ReceiveOne(udev_monitor* monitor, std::optional<DeviceChange>& change) {
    pollfd entry{udev_monitor_get_fd(monitor), POLLIN, 0};
    if (::poll(&entry, 1, 0) <= 0) return false;
    udev_device* device = udev_monitor_receive_device(monitor);
    if (device == nullptr) return false;
    change =
        DeviceChangeFor(Text(udev_device_get_action(device)), Text(udev_device_get_syspath(device)),
                        Text(udev_device_get_devnode(device)));
    udev_device_unref(device);
    return true;
}

}  // namespace

std::optional<DeviceChange> DeviceChangeFor(const std::string& action, const std::string& syspath,
                                            const std::string& devnode) {
    if (devnode.empty()) return std::nullopt;
    DeviceChange change;
    if (action == "add")
        change.eventType = kDbtDeviceArrival;
    else if (action == "remove")
        change.eventType = kDbtDeviceRemoveComplete;
    else
        return std::nullopt;
    change.broadcast.deviceType = kDbtDevtypDeviceInterface;
    change.broadcast.name = InterfaceName(syspath, devnode);
    return change;
}

HidrawMonitor::HidrawMonitor() : m_merge(std::make_unique<HidrawEventMerge>()) {
    m_udev = udev_new();
    if (m_udev == nullptr) return;
    m_kernel = Listen(m_udev, "kernel");
    m_udevd = Listen(m_udev, "udev");
}

HidrawMonitor::~HidrawMonitor() {
    if (m_kernel != nullptr) udev_monitor_unref(m_kernel);
    if (m_udevd != nullptr) udev_monitor_unref(m_udevd);
    if (m_udev != nullptr) udev_unref(m_udev);
}

bool HidrawMonitor::UdevdRunning() const {
    // libudev's own test: udevd's control socket exists.
    udev_queue* queue = udev_queue_new(m_udev);
    if (queue == nullptr) return false;
    const bool active = udev_queue_get_udev_is_active(queue) != 0;
    udev_queue_unref(queue);
    return active;
}

void HidrawMonitor::Receive(uint64_t nowMs) {
    std::optional<DeviceChange> change;
    if (m_kernel != nullptr) {
        bool udevd = false;
        bool asked = false;
        while (ReceiveOne(m_kernel, change)) {
            if (!change) continue;
            if (!asked) {
                udevd = m_udevd != nullptr && UdevdRunning();
                asked = true;
            }
            m_merge->FromKernel(*change, udevd, nowMs);
        }
    }
    if (m_udevd != nullptr) {
        while (ReceiveOne(m_udevd, change))
            if (change) m_merge->FromUdev(*change, nowMs);
    }
}

std::vector<DeviceChange> HidrawMonitor::TakeChanges(int timeoutMs) {
    if (!IsListening()) return {};
    const uint64_t deadline = NowMs() + static_cast<uint64_t>(std::max(timeoutMs, 0));
    for (;;) {
        const uint64_t now = NowMs();
        Receive(now);
        std::vector<DeviceChange> due = m_merge->TakeDue(now);
        if (!due.empty() || now >= deadline) return due;

        // Wait for either socket, or for a held change to fall due.
        uint64_t until = deadline;
        if (auto next = m_merge->NextDue()) until = std::min(until, *next);
        pollfd entries[2];
        nfds_t count = 0;
        for (udev_monitor* monitor : {m_kernel, m_udevd})
            if (monitor != nullptr)
                entries[count++] = pollfd{udev_monitor_get_fd(monitor), POLLIN, 0};
        const int wait = static_cast<int>(until > now ? until - now : 0);
        if (::poll(entries, count, wait) < 0 && errno != EINTR) return due;
    }
}

}  // namespace vantrel::hidraw
