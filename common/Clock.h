#pragma once
// The clock: every tick count and pause of the tool goes through it, so that tests
// and the simulated writer can run protocol waits in virtual time.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

namespace vantrel {

class IClock {
public:
    virtual ~IClock() = default;
    // Milliseconds since an arbitrary start; wraps like GetTickCount.
    virtual uint32_t GetTickCount() = 0;
    // Pauses the calling thread.
    virtual void Sleep(uint32_t milliseconds) = 0;
};

// The machine's own clock.
class RealClock : public IClock {
public:
    uint32_t GetTickCount() override;
    void Sleep(uint32_t milliseconds) override;
};

// A clock whose time moves only when someone sleeps, or by a small step on every
// tick-count read (so that a busy wait on the tick count ends as it would in real
// time). Sleeping returns at once. Thread-safe.
class VirtualClock : public IClock {
public:
    explicit VirtualClock(uint32_t stepPerRead = 1, const VirtualClock* leader = nullptr)
        : m_stepPerRead(stepPerRead), m_leader(leader) {}

    uint32_t GetTickCount() override;
    void Sleep(uint32_t milliseconds) override;

    // Moves time forward without a pause being asked for.
    void Advance(uint64_t milliseconds);
    // Current time without moving it.
    uint64_t Now() const;
    // Total of all pauses asked for with Sleep.
    uint64_t SleptTotal() const { return m_slept.load(); }
    // Called (outside any lock) after every Sleep with the pause's length; tests use
    // it to act "while the pause lasts".
    void SetSleepHook(std::function<void(uint32_t)> hook);

private:
    // Brings the time up to the leader's, when it is behind.
    void CatchUp() const;

    mutable std::atomic<uint64_t> m_now{0};
    std::atomic<uint64_t> m_slept{0};
    uint32_t m_stepPerRead;
    // With a leader the time never falls behind the leader's, while this clock's own
    // reads and pauses move only this clock: several jobs, each on a clock of its
    // own, keep their waits apart, and what is scheduled on the leader's time (a
    // writer plugged in later) still comes in time.
    const VirtualClock* m_leader;
    std::mutex m_hookMutex;
    std::function<void(uint32_t)> m_hook;
};

}  // namespace vantrel
