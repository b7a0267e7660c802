#include "common/Clock.h"

#include <chrono>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

namespace vantrel {

uint32_t RealClock::GetTickCount() {
#ifdef _WIN32
    return ::GetTickCount();
#else
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
#endif
}

void RealClock::Sleep(uint32_t milliseconds) {
#ifdef _WIN32
    ::Sleep(milliseconds);
#else
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
#endif
}

void VirtualClock::CatchUp() const {
    if (m_leader == nullptr) return;
    const uint64_t lead = m_leader->Now();
    uint64_t now = m_now.load();
    while (now < lead && !m_now.compare_exchange_weak(now, lead)) {
    }
}

uint64_t VirtualClock::Now() const {
    CatchUp();
    return m_now.load();
}

uint32_t VirtualClock::GetTickCount() {
    CatchUp();
    return static_cast<uint32_t>(m_now.fetch_add(m_stepPerRead) + m_stepPerRead);
}

void VirtualClock::Sleep(uint32_t milliseconds) {
    CatchUp();
    m_now.fetch_add(milliseconds);
    m_slept.fetch_add(milliseconds);
    std::function<void(uint32_t)> hook;
    {
        std::lock_guard<std::mutex> lock(m_hookMutex);
        hook = m_hook;
    }
    if (hook) hook(milliseconds);
    // Let other threads run, as a real pause would.
    std::this_thread::yield();
}

void VirtualClock::Advance(uint64_t milliseconds) { m_now.fetch_add(milliseconds); }

void VirtualClock::SetSleepHook(std::function<void(uint32_t)> hook) {
    std::lock_guard<std::mutex> lock(m_hookMutex);
    m_hook = std::move(hook);
}

}  // namespace vantrel
