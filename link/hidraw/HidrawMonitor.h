#pragma once
// Arrivals and removals of hidraw nodes as the device notifications that presence
// tracking takes: event type 0x8000 (arrival) or 0x8004 (removal), device type 5
// (device interface) and the interface name that the hidraw platform's
// enumeration gives the same node.
//
// The monitor listens to both netlink sources: udevd's (events after its rules
// have run) and the kernel's own, which is all there is where no udevd runs.
// HidrawEventMerge makes one stream of them.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/DeviceChange.h"

struct udev;
struct udev_monitor;

namespace vantrel::hidraw {

// The notification for one event of a hidraw node: "add" is an arrival, "remove"
// a removal; any other action, or a node without a device node, gives none.
std::optional<DeviceChange> DeviceChangeFor(const std::string& action, const std::string& syspath,
                                            const std::string& devnode);

class HidrawEventMerge;

class HidrawMonitor {
public:
    // Starts listening at once; IsListening tells whether that worked.
    HidrawMonitor();
    ~HidrawMonitor();
    HidrawMonitor(const HidrawMonitor&) = delete;
    HidrawMonitor& operator=(const HidrawMonitor&) = delete;

    // At least one of the two sources could be listened to.
    bool IsListening() const { return m_kernel != nullptr || m_udevd != nullptr; }
    // The changes that arrive within `timeoutMs` (0: only those due now), oldest
    // first. Returns as soon as at least one is due.
    std::vector<DeviceChange> TakeChanges(int timeoutMs = 0);

private:
    bool UdevdRunning() const;
    // Takes what waits on both sockets into the merge, the kernel's first (its copy
    // of a change is always the older one).
    void Receive(uint64_t nowMs);

    udev* m_udev = nullptr;
    udev_monitor* m_kernel = nullptr;
    udev_monitor* m_udevd = nullptr;
    std::unique_ptr<HidrawEventMerge> m_merge;
};

}  // namespace vantrel::hidraw
