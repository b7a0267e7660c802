#pragma once
// End-to-end tests in virtual time: a core over the simulated writer, a recording
// view and a virtual clock. The harness stands in for the user-interface thread:
// device events of the writer reach the core's presence tracking whenever the
// core pumps its worker messages or shows a message box, or when a test calls
// DeliverDueEvents.

#include <atomic>
#include <cstdint>

#include "app/VantrelCore.h"
#include "common/Clock.h"
#include "sim/SimWriter.h"
#include "tests/support/RecordingView.h"

namespace vantrel::test {

class SimHarness {
public:
    explicit SimHarness(sim::SimOptions options = {});
    ~SimHarness();
    SimHarness(const SimHarness&) = delete;
    SimHarness& operator=(const SimHarness&) = delete;

    // The dialog's start-up: ResetStartupState, then DetectWriterAtStartup.
    void Start();
    // Hands every due device event to core.OnDeviceChange, in order. Re-entrant
    // calls (a message box shown by presence tracking) return at once.
    void DeliverDueEvents();
    // Moves the clock forward and delivers what became due.
    void AdvanceAndDeliver(uint64_t milliseconds);

    VirtualClock clock;
    RecordingView view;
    sim::SimWriter writer;
    CVantrelCore core;

private:
    std::atomic<bool> m_delivering{false};
};

}  // namespace vantrel::test
