#pragma once
// Arrivals and removals of hidraw nodes, from a udev monitor, as the device
// notifications that presence tracking takes: event type 0x8000 (arrival) or
// 0x8004 (removal), device type 5 (device interface) and the interface name that
// the hidraw platform's enumeration gives the same node.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct udev;
struct udev_monitor;

namespace vantrel::hidraw {

struct HidrawDeviceChange {
    uint32_t eventType = 0;   // kDbtDeviceArrival or kDbtDeviceRemoveComplete
    uint32_t deviceType = 5;  // kDbtDevtypDeviceInterface
    std::wstring name;        // the interface name (HidrawNames.h)
};

// The notification for one udev event of a hidraw node: "add" is an arrival,
// "remove" a removal; any other action, or a node without a device node, gives none.
std::optional<HidrawDeviceChange> DeviceChangeFor(const std::string& action,
                                                  const std::string& syspath,
                                                  const std::string& devnode);

class HidrawMonitor {
public:
    // Starts listening at once; IsListening tells whether that worked.
    HidrawMonitor();
    ~HidrawMonitor();
    HidrawMonitor(const HidrawMonitor&) = delete;
    HidrawMonitor& operator=(const HidrawMonitor&) = delete;

    bool IsListening() const { return m_monitor != nullptr; }
    // A descriptor that becomes readable when a change waits; -1 when not listening.
    int Fd() const;
    // The changes that arrive within `timeoutMs` (0: only those waiting now),
    // oldest first. Returns as soon as at least one has arrived.
    std::vector<HidrawDeviceChange> TakeChanges(int timeoutMs = 0);

private:
    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
};

}  // namespace vantrel::hidraw
