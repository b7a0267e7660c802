#pragma once
// A count of the device-interface arrivals and removals seen, bumped by the source
// of device notifications (on any thread) and read by layers that remember what
// they last found among the interfaces: while the count stays, nothing came or went.

#include <atomic>
#include <cstdint>

namespace vantrel {

class DeviceChangeCount {
public:
    void Bump() { m_value.fetch_add(1, std::memory_order_release); }
    uint64_t Value() const { return m_value.load(std::memory_order_acquire); }

private:
    std::atomic<uint64_t> m_value{0};
};

}  // namespace vantrel
