// The run loop of status, configure and upgrade. The main thread does what the
// dialog's user-interface thread does: the start-up detection, the button click
// that queues the job, and presence tracking for the device events that arrive
// while the job runs. The worker thread runs the job exactly as in the dialog.

#include "cli/WriterCommands.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/AttachedWriters.h"
#include "app/JobClaim.h"
#include "app/JobRun.h"
#include "app/StepNarrator.h"
#include "app/TextRecorder.h"
#include "cli/AccessHint.h"
#include "cli/ConsoleView.h"
#include "cli/ExitStatus.h"
#include "cli/Interruption.h"
#include "cli/ResultOutput.h"
#include "cli/RunSetup.h"
#include "cli/StationCommand.h"
#include "common/Console.h"
#include "common/OutputFile.h"
#include "common/ShownText.h"
#include "common/Text.h"
#include "link/ClaimingPlatform.h"
#include "link/DeviceEvents.h"
#include "link/OsBackend.h"
#include "link/SelectingPlatform.h"
#include "link/TracingPlatform.h"
#include "link/WriterClaims.h"
#include "protocol/WriterIdentity.h"
#include "sim/SimBusOptions.h"
#include "sim/SimWriterBus.h"

namespace vantrel::cli {

namespace {

ConsoleStream& TextStream(const Options& options) {
    return options.json ? StandardError() : StandardOutput();
}

// "application <path> <location>", as list prints it.
std::wstring WriterLine(const AttachedWriter& writer) {
    return std::wstring(WriterModeName(writer.mode)) + L"  " + ShownPath(writer.path) + L"  " +
           (writer.location.empty() ? L"-" : ShownPath(writer.location));
}

ViewSettings SettingsFor(const Options& options) {
    ViewSettings settings;
    settings.command = options.command;
    settings.verbosity = options.verbosity;
    settings.mode = options.mode;
    settings.canAsk = InputIsTerminal() && TextStream(options).IsTerminal();
    settings.readLine = [](std::wstring& line) { return ReadInputLine(line); };
    settings.progressBar = StandardError().IsTerminal() && options.verbosity != Verbosity::Quiet;
    return settings;
}

// After a configuration run with --mode: the words for a mode that never reached
// the writer (the writer's level or the IC type decides), or empty.
std::wstring UnsentModeText(const Options& options, bool asked, bool sent) {
    if (options.mode == 0 || asked) return std::wstring();
    const std::wstring given = options.mode == 2 ? L"five" : L"six";
    if (!sent) {
        return L"--mode " + given +
               L" was not sent: the writer did not report a level of 0x03000000 or more, so it "
               L"gets no programming mode";
    }
    return L"--mode " + given +
           L" was not used: this IC type has no programming-mode question (the writer got mode "
           L"3)";
}

// The run of every writer command: the platform layers, the claim of the writer,
// the session around the core, and what the run reports.
int RunWriterCommand(const Options& options);

}  // namespace

int RunStatus(const Options& options) { return RunWriterCommand(options); }
int RunList(const Options& options) { return RunWriterCommand(options); }
int RunConfigure(const Options& options) {
    return options.all ? RunStation(options) : RunWriterCommand(options);
}
int RunUpgrade(const Options& options) {
    return options.all ? RunStation(options) : RunWriterCommand(options);
}

namespace {

int RunWriterCommand(const Options& options) {
    InstallInterruptHandlers();
    const bool needsFile =
        options.command == Command::Configure || options.command == Command::Upgrade;
    // A file the job refuses is refused by the job itself, with the dialog's texts.
    JobRequest job;
    std::vector<std::wstring> refusal;
    if (needsFile && !ReadJobRequest(options, job, refusal)) return kExitUsage;
    std::vector<sim::SimOptions> simOptions;
    if (options.simulate && !PrepareSimOptions(options, simOptions)) return kExitUsage;

    std::vector<std::wstring> inputs = RunInputs(options, needsFile);
    if (!CheckOutputs(options, inputs)) return kExitUsage;
    std::unique_ptr<FILE, int (*)(FILE*)> trace(nullptr, &std::fclose);
    if (!options.trace.empty()) {
        std::wstring problem;
        trace.reset(OpenLineOutput(options.trace, inputs, problem));
        if (!trace) {
            UsageProblem(L"cannot create the trace file '" + ShownPath(options.trace) + L"': " +
                         problem);
            return kExitUsage;
        }
        // The APROM images written at the end may not replace the trace either.
        inputs.push_back(options.trace);
    }

    std::unique_ptr<IClock> clock;
    if (options.simClock == ClockKind::Virtual) {
        clock = std::make_unique<VirtualClock>();
    } else {
        clock = std::make_unique<RealClock>();
    }
    const uint32_t startTick = clock->GetTickCount();

    std::unique_ptr<sim::SimWriterBus> bus;
    std::unique_ptr<OsBackend> os;
    IHidPlatform* platform;
    if (options.simulate) {
        bus = std::make_unique<sim::SimWriterBus>(*clock, simOptions);
        platform = &bus->Platform();
    } else {
        os = MakeCliBackend();
        platform = &os->Platform();
    }
    // With --json, standard output holds the JSON object alone; the texts are
    // still there for a person on standard error.
    ConsoleView view(TextStream(options), StandardError(), SettingsFor(options));
    // Every report passes the narrator (the steps for -v, the bar and an
    // interruption) and, with --trace, the trace.
    StepNarrator narrator(view, NoteWriterCommand);
    TracingPlatform tracing(*platform, TraceIdentity, trace.get(), &narrator);
    platform = &tracing;
    // With --device the core sees the chosen writer alone.
    std::unique_ptr<SelectingPlatform> selection;
    if (!options.device.empty()) {
        selection = std::make_unique<SelectingPlatform>(*platform, options.device, IsWriter);
        platform = selection.get();
    }
    // Every interface opens under its writer's claim, which the run keeps to its end.
    // The simulated writers belong to this process; VANTREL_SIM_CLAIM_FOLDER makes
    // their claims lock files there, so that tests can play a second process.
    const std::unique_ptr<IClaimBackend> systemClaims = MakeClaimBackend(bus != nullptr);
    const std::string commandName = ToUtf8(CommandName(options.command));
    const std::string holder = DescribeHolder("vantrel-cli", commandName.c_str());
    WriterClaims claims(systemClaims ? *systemClaims : SimulatedWriterClaims(),
                        [&] { return holder; });
    IHidPlatform& unclaimed = *platform;
    ClaimingPlatform claiming(*platform, claims);
    claiming.BeginHold();
    platform = &claiming;
    const BusyCheck busyElsewhere = [&](const std::wstring& path, std::string& heldBy) {
        return claims.BusyElsewhere(claiming.KeyOf(path), heldBy);
    };

    std::unique_ptr<IDeviceEventSource> events;
    if (bus) {
        events = std::make_unique<sim::SimBusEvents>(*bus);
    } else {
        events = os->MakeEvents(*platform, *clock);
    }
    std::unique_ptr<IDeviceEventSource> selectedEvents;
    if (selection) {
        selectedEvents = std::make_unique<SelectedDeviceEvents>(*events, *selection);
    }
    IDeviceEventSource& deviceEvents = selectedEvents ? *selectedEvents : *events;

    OrderedJson result;
    result["ok"] = false;
    result["exit"] = 0;
    result["command"] = commandName;
    if (needsFile) result["file"] = ToUtf8(ShownPath(options.file));
    std::vector<std::pair<const char*, std::wstring>> ownTexts;
    // A text of the front end's own, on standard error.
    auto say = [&](const std::wstring& text) {
        StandardError().Write(L"vantrel-cli: " + text + L"\n");
        ownTexts.emplace_back("cli", text);
    };

    int status = 0;
    bool waitedOut = false;
    if (options.wait) {
        if (!AwaitWriter(*platform, *clock, options.waitSeconds * 1000)) {
            say(L"no writer" +
                (options.device.empty() ? std::wstring() : L" at " + options.device) +
                L" was attached within " + std::to_wstring(options.waitSeconds) + L" s");
            status = kExitNoWriter;
            waitedOut = true;
        }
        // The start-up detection sees the writer as it is now; its arrival on the
        // way is no news.
        deviceEvents.TakeEvents();
    }

    std::vector<AttachedWriter> writers;
    if (!waitedOut) {
        writers = ListWriters(*platform, *clock, options.command == Command::List, busyElsewhere);
    }
    const bool refused =
        !waitedOut && options.command != Command::List && DistinctWriters(writers) > 1;
    if (options.command == Command::List || refused) {
        if (refused) {
            say(L"several writers are attached; choose one with --device LOCATION (or its "
                L"device path):");
            writers = ListWriters(*platform, *clock, true, busyElsewhere);
            status = kExitNoWriter;
        } else if (!waitedOut && writers.empty()) {
            say(L"no writer is attached");
            status = kExitNoWriter;
        }
        OrderedJson list = OrderedJson::array();
        for (const AttachedWriter& writer : writers) {
            list.push_back(WriterJson(writer));
            if (!options.json) StandardOutput().Write(WriterLine(writer) + L"\n");
        }
        result["writers"] = list;
    }
    bool claimRefused = false;
    if (!waitedOut && !refused && options.command != Command::List && !writers.empty()) {
        JobClaimRequest claim;
        claim.upgrade = options.command == Command::Upgrade;
        claim.wait = options.wait;
        claim.waitSeconds = options.waitSeconds;
        if (!ClaimWriterForJob(claim, *clock, claims, claiming, unclaimed, writers.front(), say)) {
            status = kExitNoWriter;
            claimRefused = true;
            if (options.command == Command::Status) {
                result["mode"] = OrderedJson();
                result["connection"] = OrderedJson();
            }
        }
    }
    std::unique_ptr<JobRun> session;
    const size_t ownBefore = ownTexts.size();
    if (!waitedOut && !refused && !claimRefused && options.command != Command::List) {
        session = std::make_unique<JobRun>(*clock, *platform, deviceEvents, view);
        SetInterruptBoundary(&session->LinkGate());
        session->Start();
        const bool found = session->WriterFound();
        if (options.command == Command::Status) {
            status = found ? kExitOk : kExitNoWriter;
        } else {
            const JobOutcome outcome = session->Run(job);
            if (outcome == JobOutcome::NotBack) {
                UsageProblem(L"the writer did not come back as its application within " +
                             std::to_wstring(kApplicationReturnMs / 1000) + L" s after the reset");
            }
            status = ExitClass(outcome);
        }
        if (options.command == Command::Configure && narrator.LevelQueried()) {
            const std::wstring unsent =
                UnsentModeText(options, view.ModeAsked(), session->SendsProgramMode());
            if (!unsent.empty()) say(unsent);
        }
        // A writer that is attached but cannot be opened looks like no writer at
        // all; say what stands in the way.
        if (status != kExitOk && os && !found) {
            const std::wstring hint = InaccessibleWriterHint(*os);
            if (!hint.empty()) StandardError().Write(hint);
        }
    }

    // The writer the command used: the chosen one, or the only one attached.
    AttachedWriter used;
    if (!writers.empty() && DistinctWriters(writers) == 1) used = writers.front();
    if (selection && !selection->Location().empty()) used.location = selection->Location();
    if (bus) {
        const int usedIndex = std::max(sim::SimWriter::IndexAt(used.location), 1);
        for (const std::wstring& text : options.simApromOut) {
            int index = 0;
            std::wstring file;
            std::wstring error;
            sim::SplitWriterPrefix(text, options.simWriters, index, file, error);
            std::wstring problem;
            if (!WriteOutputFile(file, bus->Writer(index == 0 ? usedIndex : index).Aprom(), inputs,
                                 problem, InterruptionFileHooks())) {
                say(L"cannot write '" + ShownPath(file) + L"': " + problem);
                if (status == kExitOk) status = kExitUsage;
            }
        }
    }

    const std::wstring traceFailure = tracing.TraceFailure();
    if (!traceFailure.empty()) {
        say(L"cannot write the trace file '" + ShownPath(options.trace) + L"': " + traceFailure);
        if (status == kExitOk) status = kExitUsage;
    }

    OrderedJson sessionTexts = OrderedJson::array();
    if (session) {
        const std::wstring connection = session->Connection();
        if (options.command == Command::Status || options.command == Command::Upgrade) {
            result["connection"] = ToUtf8(connection);
        }
        if (options.command == Command::Status) {
            result["mode"] = connection == L"writer connect" ? OrderedJson("application")
                             : connection == L"boot connect" ? OrderedJson("boot-loader")
                                                             : OrderedJson();
        }
        if (options.command == Command::Configure) {
            for (auto [name, id] :
                 {std::pair{"ic_name", kIdcIcName}, std::pair{"checksum_moe", kIdcFirstChecksum},
                  std::pair{"checksum_memory", kIdcSecondChecksum}}) {
                const std::wstring text = session->Recorder().LastControlText(id);
                result[name] = text.empty() ? OrderedJson() : OrderedJson(ToUtf8(text));
            }
        }
        session->Stop();  // the worker has ended: every text is in
        SetInterruptBoundary(nullptr);
        sessionTexts = session->Recorder().Texts();
        session.reset();
    }
    if (options.json) {
        OrderedJson texts = OrderedJson::array();
        for (size_t i = 0; i < ownTexts.size(); ++i) {
            if (i == ownBefore) texts.insert(texts.end(), sessionTexts.begin(), sessionTexts.end());
            texts.push_back({{"where", ownTexts[i].first}, {"text", ToUtf8(ownTexts[i].second)}});
        }
        if (ownBefore >= ownTexts.size()) {
            texts.insert(texts.end(), sessionTexts.begin(), sessionTexts.end());
        }
        result["ok"] = status == 0;
        result["exit"] = status;
        result["texts"] = texts;
        const uint32_t elapsed = clock->GetTickCount() - startTick;
        result["seconds"] = elapsed / 1000.0;
        result["device"] =
            used.path.empty() && used.location.empty() ? OrderedJson() : WriterJson(used);
        PrintFinalJson(JsonLine(result));
    }
    return status;
}

}  // namespace

}  // namespace vantrel::cli
