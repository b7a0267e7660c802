#include "tests/support/SimHarness.h"

#include "app/DevicePass.h"

namespace vantrel::test {

SimHarness::SimHarness(sim::SimOptions options)
    : writer(clock, std::move(options)), core(view, clock, writer.Platform()) {
    // The worker's message pump and its message boxes are where the dialog would
    // see WM_DEVICECHANGE while a job runs.
    view.onPump = [this] { DeliverDueEvents(); };
    view.onMessage = [this](const std::wstring&) { DeliverDueEvents(); };
    view.onDeviceCheck = [this] { core.ProcessDeferredDeviceChanges(); };
}

SimHarness::~SimHarness() {
    view.onPump = nullptr;
    view.onMessage = nullptr;
    view.onDeviceCheck = nullptr;
}

void SimHarness::Start() {
    core.ResetStartupState();
    core.DetectWriterAtStartup();
}

void SimHarness::DeliverDueEvents() {
    if (m_delivering.exchange(true)) return;
    RunDevicePass(core, writer.TakeDueEvents(), false);
    m_delivering = false;
}

void SimHarness::AdvanceAndDeliver(uint64_t milliseconds) {
    clock.Advance(milliseconds);
    DeliverDueEvents();
}

}  // namespace vantrel::test
