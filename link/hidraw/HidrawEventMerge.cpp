#include "link/hidraw/HidrawEventMerge.h"

#include <algorithm>

namespace vantrel::hidraw {

namespace {

// How long a kernel change delivered without udevd's copy is remembered, so that
// the copy, arriving late, is not delivered a second time.
constexpr uint64_t kRememberMs = 30000;

}  // namespace

void HidrawEventMerge::ForgetOld(uint64_t nowMs) {
    while (!m_deliveredEarly.empty() && m_deliveredEarly.front().due + kRememberMs < nowMs)
        m_deliveredEarly.pop_front();
}

void HidrawEventMerge::FromKernel(const DeviceChange& change, bool udevRunning, uint64_t nowMs) {
    Release(nowMs);  // what is due goes first, so the order is kept
    if (!udevRunning && m_held.empty()) {
        m_ready.push_back(change);
        m_deliveredEarly.push_back(Held{change, nowMs});
        return;
    }
    // Behind held changes it waits too, even without udevd: they are older.
    m_held.push_back(Held{change, udevRunning ? nowMs + m_graceMs : nowMs});
}

void HidrawEventMerge::FromUdev(const DeviceChange& change, uint64_t nowMs) {
    Release(nowMs);
    auto early = std::find_if(m_deliveredEarly.begin(), m_deliveredEarly.end(),
                              [&](const Held& held) { return Same(held.change, change); });
    if (early != m_deliveredEarly.end()) {
        m_deliveredEarly.erase(early);  // already delivered from the kernel's copy
        return;
    }
    auto held = std::find_if(m_held.begin(), m_held.end(),
                             [&](const Held& entry) { return Same(entry.change, change); });
    if (held != m_held.end()) {
        // Kernel changes held before this one are older: they go first, as their
        // own udevd copies would have.
        for (auto it = m_held.begin(); it != held; ++it) {
            m_ready.push_back(it->change);
            m_deliveredEarly.push_back(Held{it->change, nowMs});
        }
        m_held.erase(m_held.begin(), held + 1);
    }
    m_ready.push_back(change);
}

void HidrawEventMerge::Release(uint64_t nowMs) {
    ForgetOld(nowMs);
    while (!m_held.empty() && m_held.front().due <= nowMs) {
        m_ready.push_back(m_held.front().change);
        m_deliveredEarly.push_back(Held{m_held.front().change, nowMs});
        m_held.pop_front();
    }
}

std::vector<DeviceChange> HidrawEventMerge::TakeDue(uint64_t nowMs) {
    Release(nowMs);
    std::vector<DeviceChange> due;
    due.swap(m_ready);
    return due;
}

std::optional<uint64_t> HidrawEventMerge::NextDue() const {
    if (m_held.empty()) return std::nullopt;
    return m_held.front().due;
}

}  // namespace vantrel::hidraw
