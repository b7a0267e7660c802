#pragma once
// The hand-over between the worker and a front end's loop, which plays the
// user-interface thread. While the upgrade job waits for the boot loader, each pass
// of its wait gives the loop a turn (AwaitTurn), so the device events that end the
// wait are delivered before the job looks at its clock again. In virtual time this
// is what keeps the 10,000 ms wait from running out before the loop has looked.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace vantrel {

class LoopTurns {
public:
    // Worker: returns once the loop has finished a pass that started after this
    // call, or after `limit` of real time when the loop does not come round.
    void AwaitTurn(std::chrono::milliseconds limit = std::chrono::milliseconds(1000));
    // Loop: marks the end of one pass.
    void PassDone();
    // Loop: pauses up to `pause`, or less when the worker is waiting for a turn.
    void Idle(std::chrono::milliseconds pause);

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    uint64_t m_passes = 0;
    uint64_t m_waiting = 0;
};

}  // namespace vantrel
