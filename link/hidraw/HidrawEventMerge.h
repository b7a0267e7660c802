#pragma once
// Joins the two netlink sources of hidraw events into one stream of changes.
//
// udevd re-broadcasts each kernel event after its rules have run (permissions
// set, links made); that is the copy to act on when udevd runs. Where no udevd
// runs (a container, a minimal system) only the kernel's own copy exists. So a
// kernel event is delivered at once when udevd is not running, and otherwise
// held for a grace period: if udevd's copy of the same change arrives, that copy
// is delivered and the kernel's dropped; if not (udevd has stopped, or its events
// do not reach us), the kernel's copy is delivered when the grace runs out and
// udevd's late copy, should it still come, is dropped. Order is kept.

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "link/hidraw/HidrawMonitor.h"

namespace vantrel::hidraw {

class HidrawEventMerge {
public:
    explicit HidrawEventMerge(uint32_t graceMs = 2500) : m_graceMs(graceMs) {}

    // A change from the kernel's source; `udevRunning` says whether udevd runs now.
    void FromKernel(const DeviceChange& change, bool udevRunning, uint64_t nowMs);
    // A change from udevd's source.
    void FromUdev(const DeviceChange& change, uint64_t nowMs);
    // The changes to deliver now, oldest first; each is returned once.
    std::vector<DeviceChange> TakeDue(uint64_t nowMs);
    // When the oldest held kernel change falls due; nothing when none is held.
    std::optional<uint64_t> NextDue() const;

private:
    struct Held {
        DeviceChange change;
        uint64_t due;
    };
    static bool Same(const DeviceChange& a, const DeviceChange& b) {
        return a.eventType == b.eventType && a.broadcast.name == b.broadcast.name;
    }
    void ForgetOld(uint64_t nowMs);
    // Moves the held changes that are due to the ready ones.
    void Release(uint64_t nowMs);

    uint32_t m_graceMs;
    std::deque<Held> m_held;            // kernel changes waiting for udevd's copy
    std::deque<Held> m_deliveredEarly;  // kernel changes delivered without udevd's copy
    std::vector<DeviceChange> m_ready;
};

}  // namespace vantrel::hidraw
