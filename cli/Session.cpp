// The run loop of status, configure and upgrade. The main thread does what the
// dialog's user-interface thread does: the start-up detection, the button click
// that queues the job, and presence tracking for the device events that arrive
// while the job runs. The worker thread runs the job exactly as in the dialog.

#include "cli/Session.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/VantrelCore.h"
#include "cli/Console.h"
#include "cli/ConsoleView.h"
#include "cli/DeviceEvents.h"
#include "cli/FileIo.h"
#include "cli/FirmwareReport.h"
#include "cli/LoopTurns.h"
#include "cli/OsBackend.h"
#include "cli/TracingPlatform.h"
#include "common/Files.h"
#include "common/Text.h"
#include "sim/SimWriter.h"
#include "upgrade/FirmwareLoad.h"

namespace vantrel::cli {

namespace {

constexpr uint32_t kStopWaitMs = 5000;
// After a successful upgrade the writer restarts into its application; the run
// waits this long (on the session's clock) for it to come back, and fails when it
// does not.
constexpr uint32_t kReturnWaitMs = 5000;

// A core whose jobs also tell the front end that they ended, and how.
class CliCore : public CVantrelCore {
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

class SimDeviceEvents : public IDeviceEventSource {
public:
    explicit SimDeviceEvents(sim::SimWriter& writer) : m_writer(writer) {}
    std::vector<DeviceEvent> TakeEvents() override { return m_writer.TakeDueEvents(); }

private:
    sim::SimWriter& m_writer;
};

void UsageProblem(const std::wstring& text) {
    StandardError().Write(L"vantrel-cli: " + text + L"\n");
}

// Checks the arguments that the run depends on and fills the simulated writer's
// options; false (after saying why) when one cannot be used.
bool PrepareSimOptions(const Options& options, sim::SimOptions& sim) {
    sim.startInBootLoader = options.simBoot;
    sim.writerLevel = options.simLevel;
    for (const std::string& text : options.simFaults) {
        sim::Fault fault;
        std::string error;
        if (!sim::ParseFault(text, fault, error)) {
            UsageProblem(FromUtf8(error));
            return false;
        }
        sim.faults.push_back(fault);
    }
    if (!options.simApromIn.empty()) {
        std::wstring problem;
        if (!ReadInputFile(options.simApromIn, sim.aprom, problem, sim::kApromSize)) {
            UsageProblem(L"cannot read '" + options.simApromIn + L"': it " + problem);
            return false;
        }
        if (sim.aprom.size() != sim::kApromSize) {
            UsageProblem(L"'" + options.simApromIn + L"' holds " +
                         std::to_wstring(sim.aprom.size()) + L" bytes; an APROM image holds " +
                         std::to_wstring(sim::kApromSize));
            return false;
        }
    }
    return true;
}

// What the upgrade's check noted that is no reason to refuse (data that is dropped
// outside the image, records of no effect), for a file it accepts.
void WarnAboutFirmware(const std::vector<uint8_t>& bytes, bool force) {
    const FirmwareCheck check = LoadFirmwareBytes(bytes.data(), bytes.size()).check;
    if (!check.Sound() && !force) return;  // the job refuses it and says why
    for (const std::wstring& line : NoteLines(check)) {
        StandardError().Write(L"vantrel-cli: warning: " + line + L"\n");
    }
}

class WriterSession {
public:
    WriterSession(const Options& options, IClock& clock, IHidPlatform& platform,
                  IDeviceEventSource& events)
        : m_options(options),
          m_clock(clock),
          m_events(events),
          m_view(StandardOutput(), options.mode, StandardOutput().IsTerminal()),
          m_core(m_view, m_clock, platform) {
        m_view.SetPumpHook([this] { m_turns.AwaitTurn(); });
    }

    ~WriterSession() {
        m_core.StopWorker(kStopWaitMs);
        m_view.Finish();
    }

    // The dialog's start-up detection.
    void Start() {
        m_core.ResetStartupState();
        m_core.DetectWriterAtStartup();
    }

    bool WriterFound() const { return m_core.m_bDevicePresent != FALSE; }
    void Print(const std::wstring& text) { m_view.PrintLine(text); }

    // Queues the job as the dialog's button would and runs the loop until it ends.
    // The exit status: 0 success, 1 the job failed or could not be queued, or the
    // writer did not come back after an upgrade, 4 the firmware file was refused.
    int RunJob() {
        m_core.m_bWideOptionBlock = m_options.wideOptions ? 1 : 0;
        m_core.m_bSkipFirmwareCheck = m_options.force ? TRUE : FALSE;
        if (!m_core.StartWorker()) {
            m_view.ShowMessage(L"启动工作线程错误", L"", kMbIconExclamation);
            return false;
        }
        m_core.SetFilePath(m_options.file);
        bool queued;
        if (m_options.command == Command::Configure) {
            m_core.OnConfigureWriter();
            queued = !m_core.m_bConfigIdle;
        } else {
            m_core.OnUpgradeFirmware();
            queued = m_core.m_bUpgradeBusy != FALSE;
        }
        // A refused click has already said why ("没有源文件", "USB未连接").
        if (!queued) return 1;

        while (!m_core.jobEnded) {
            Pass();
            m_turns.Idle(std::chrono::milliseconds(1));
        }
        const bool succeeded = m_core.jobSucceeded;
        m_view.Finish();
        if (m_options.command != Command::Upgrade) return succeeded ? 0 : 1;
        if (!succeeded) return m_core.m_bFirmwareRefused ? 4 : 1;
        if (!AwaitApplication()) {
            m_view.Finish();
            StandardError().Write(
                L"vantrel-cli: the writer did not come back as its application "
                L"within " +
                std::to_wstring(kReturnWaitMs / 1000) + L" s after the reset\n");
            return 1;
        }
        return 0;
    }

private:
    // One pass of the user-interface thread: the device notifications that arrived,
    // then those that had to wait for a job's transaction.
    void Pass() {
        for (DeviceEvent& event : m_events.TakeEvents()) {
            m_core.OnDeviceChange(event.first, &event.second);
        }
        if (m_view.TakeDeviceCheckRequest()) m_core.ProcessDeferredDeviceChanges();
        m_turns.PassDone();
    }

    // After the reset the writer leaves the bus as its boot loader and comes back
    // as its application; presence tracking shows both. True when it came back.
    bool AwaitApplication() {
        const uint32_t start = m_clock.GetTickCount();
        while (!BackAsApplication() && m_clock.GetTickCount() - start < kReturnWaitMs) {
            Pass();
            m_clock.Sleep(1);
        }
        Pass();
        return BackAsApplication();
    }

    bool BackAsApplication() {
        return m_view.LastPane(kPaneConnection) == L"writer connect" && !m_core.m_bBootMode;
    }

    const Options& m_options;
    IClock& m_clock;
    IDeviceEventSource& m_events;
    LoopTurns m_turns;
    ConsoleView m_view;
    CliCore m_core;
};

}  // namespace

int RunWriterCommand(const Options& options) {
    if (options.command != Command::Status) {
        // Read once here to say early that it cannot be used; the job reads it again
        // itself, once, and uses only what it read then.
        std::vector<uint8_t> bytes;
        std::wstring problem;
        if (!ReadInputFile(options.file, bytes, problem)) {
            UsageProblem(L"cannot read '" + options.file + L"': it " + problem);
            return 2;
        }
        if (options.command == Command::Upgrade) WarnAboutFirmware(bytes, options.force);
    }
    sim::SimOptions simOptions;
    if (options.simulate && !PrepareSimOptions(options, simOptions)) return 2;

    std::unique_ptr<FILE, int (*)(FILE*)> trace(nullptr, &std::fclose);
    if (!options.trace.empty()) {
        trace.reset(OpenFile(options.trace, "w"));
        if (!trace) {
            UsageProblem(L"cannot create the trace file '" + options.trace + L"'");
            return 2;
        }
    }

    std::unique_ptr<IClock> clock;
    if (options.simClock == ClockKind::Virtual) {
        clock = std::make_unique<VirtualClock>();
    } else {
        clock = std::make_unique<RealClock>();
    }

    std::unique_ptr<sim::SimWriter> writer;
    std::unique_ptr<OsBackend> os;
    IHidPlatform* platform;
    if (options.simulate) {
        writer = std::make_unique<sim::SimWriter>(*clock, simOptions);
        platform = &writer->Platform();
    } else {
        os = MakeOsBackend();
        platform = &os->Platform();
    }
    std::unique_ptr<TracingPlatform> tracing;
    if (trace) {
        tracing = std::make_unique<TracingPlatform>(*platform, trace.get());
        platform = tracing.get();
    }
    std::unique_ptr<IDeviceEventSource> events;
    if (writer) {
        events = std::make_unique<SimDeviceEvents>(*writer);
    } else {
        events = os->MakeEvents(*platform, *clock);
    }

    int status;
    {
        WriterSession session(options, *clock, *platform, *events);
        session.Start();
        if (options.command == Command::Status) {
            status = session.WriterFound() ? 0 : 1;
        } else {
            status = session.RunJob();
        }
        // A writer that is attached but cannot be opened looks like no writer at
        // all; say what stands in the way.
        if (status != 0 && os && !session.WriterFound()) {
            const std::wstring hint = os->InaccessibleWriterHint();
            if (!hint.empty()) StandardError().Write(hint);
        }
    }

    if (writer && !options.simApromOut.empty() &&
        !WriteWholeFile(options.simApromOut, writer->Aprom())) {
        StandardError().Write(L"vantrel-cli: cannot write '" + options.simApromOut + L"'\n");
        status = 1;
    }
    return status;
}

}  // namespace vantrel::cli
