#include "app/LoopTurns.h"

namespace vantrel {

void LoopTurns::AwaitTurn(std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> lock(m_mutex);
    // A pass in progress may have looked before this call: wait for the one after.
    const uint64_t target = m_passes + 2;
    ++m_waiting;
    m_changed.notify_all();
    m_changed.wait_for(lock, limit, [&] { return m_passes >= target; });
    --m_waiting;
}

void LoopTurns::PassDone() {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_passes;
    m_changed.notify_all();
}

void LoopTurns::Idle(std::chrono::milliseconds pause) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait_for(lock, pause, [&] { return m_waiting > 0; });
}

}  // namespace vantrel
