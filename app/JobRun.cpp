#include "app/JobRun.h"

#include <chrono>

#include "app/DevicePass.h"
#include "common/ShownText.h"
#include "common/WindowSystem.h"
#include "configure/ControlFileReport.h"
#include "upgrade/FirmwareDecoding.h"
#include "upgrade/FirmwareReport.h"

namespace vantrel {

namespace {

constexpr uint32_t kStopWaitMs = 5000;

}  // namespace

// A core whose jobs also tell the run that they ended, and how.
class JobRun::Core : public CVantrelCore {
public:
    using CVantrelCore::CVantrelCore;

    bool RunConfigurationJob() override { return Finish(CVantrelCore::RunConfigurationJob()); }
    bool RunFirmwareUpgrade(const std::wstring& path) override {
        return Finish(CVantrelCore::RunFirmwareUpgrade(path));
    }

    std::atomic<bool> jobEnded{false};
    std::atomic<bool> jobSucceeded{false};

private:
    bool Finish(bool succeeded) {
        jobSucceeded = succeeded;
        jobEnded = true;
        return succeeded;
    }
};

JobRun::JobRun(IClock& clock, IHidPlatform& platform, IDeviceEventSource& events, IJobView& view)
    : m_clock(clock),
      m_events(events),
      m_view(view),
      m_recorder(view),
      m_core(std::make_unique<Core>(m_recorder, clock, platform)) {
    // The upgrade's wait for the boot loader pumps in a tight loop: one pass of the
    // loop per millisecond is prompt enough and keeps the wait from flooding the
    // system (under Wine, its server) with device-list requests.
    m_view.SetPumpHook([this] {
        m_turns.AwaitTurn();
        m_clock.Sleep(1);
    });
}

JobRun::~JobRun() {
    Stop();
    m_view.SetPumpHook(nullptr);
}

void JobRun::Stop() {
    m_core->StopWorker(kStopWaitMs);
    m_view.Finish();
}

void JobRun::Start() {
    m_core->ResetStartupState();
    m_core->DetectWriterAtStartup();
}

bool JobRun::WriterFound() const { return m_core->m_bDevicePresent != FALSE; }
bool JobRun::SendsProgramMode() const { return m_core->m_bSendIoSet != 0; }
std::mutex& JobRun::LinkGate() { return m_core->m_linkGate; }

JobOutcome JobRun::Run(const JobRequest& request) {
    Core& core = *m_core;
    // Whether the start-up detection found the writer: a job without one ends as
    // having no writer, whatever else went wrong.
    const bool found = WriterFound();
    core.m_bWideOptionBlock = request.wideOptions ? 1 : 0;
    core.m_bSkipFirmwareCheck = request.force ? TRUE : FALSE;
    if (!core.StartWorker()) {
        m_view.ShowMessage(L"启动工作线程错误", L"", kMbIconExclamation);
        return found ? JobOutcome::Failed : JobOutcome::NoWriter;
    }
    core.SetFilePath(request.file);
    core.PreloadFile(request.file, request.bytes);
    bool queued;
    if (request.kind == JobKind::Configure) {
        core.OnConfigureWriter();
        queued = !core.m_bConfigIdle;
    } else {
        core.OnUpgradeFirmware();
        queued = core.m_bUpgradeBusy != FALSE;
    }
    // A refused click has already said why: with a file given, only "USB未连接"
    // refuses (no writer in the mode the job needs).
    if (!queued) {
        return core.m_strFilePath.empty() && found ? JobOutcome::Failed : JobOutcome::NoWriter;
    }

    while (!core.jobEnded) {
        Pass();
        m_turns.Idle(std::chrono::milliseconds(1));
    }
    const bool succeeded = core.jobSucceeded;
    if (request.kind == JobKind::Upgrade && succeeded) {
        const bool back = AwaitApplication();
        m_view.Finish();
        return back ? JobOutcome::Succeeded : JobOutcome::NotBack;
    }
    m_view.Finish();
    if (succeeded) return JobOutcome::Succeeded;
    if (!found) return JobOutcome::NoWriter;
    if (core.m_bFirmwareRefused) return JobOutcome::FileRefused;
    // A control file that its own checks refuse fails the job before the writer
    // gets a command: the class of a refused file.
    if (request.kind == JobKind::Configure &&
        !InspectControlFile(request.bytes, request.wideOptions).valid) {
        return JobOutcome::FileRefused;
    }
    return JobOutcome::Failed;
}

// One pass of the user-interface thread: the device notifications that arrived,
// then those that had to wait for a job's transaction.
void JobRun::Pass() {
    const std::vector<DeviceChange> changes = m_events.TakeEvents();
    RunDevicePass(*m_core, changes, m_view.TakeDeviceCheckRequest());
    m_view.Tick();
    m_turns.PassDone();
}

// After the reset the writer leaves the bus as its boot loader and comes back as its
// application; presence tracking shows both. True when it came back.
bool JobRun::AwaitApplication() {
    m_view.StepStarted(L"wait", L"for the writer to come back as its application");
    const uint32_t start = m_clock.GetTickCount();
    while (!BackAsApplication() && m_clock.GetTickCount() - start < kApplicationReturnMs) {
        Pass();
        m_clock.Sleep(1);
    }
    Pass();
    return BackAsApplication();
}

bool JobRun::BackAsApplication() {
    return m_view.LastPane(kPaneConnection) == L"writer connect" && !m_core->m_bBootMode;
}

std::vector<std::wstring> CheckJobFile(const JobRequest& request,
                                       std::vector<std::wstring>& warnings) {
    if (request.kind == JobKind::Configure) {
        const ControlInspection inspection = InspectControlFile(request.bytes, request.wideOptions);
        if (inspection.valid) return {};
        return {L"the control file '" + ShownPath(request.file) +
                L"' is refused, no writer was touched: " + ShownText(inspection.error)};
    }
    const FirmwareCheck check =
        DecodeFirmwareBytes(request.bytes.data(), request.bytes.size()).check;
    if (check.Sound() || request.force) {
        for (const std::wstring& line : NoteLines(check)) warnings.push_back(line);
        return {};
    }
    std::vector<std::wstring> lines = {L"the firmware file '" + ShownPath(request.file) +
                                       L"' is refused, no writer was touched (--force goes on):"};
    for (const std::wstring& line : ProblemLines(check)) lines.push_back(L"  " + line);
    return lines;
}

}  // namespace vantrel
