#include "cli/StationCommand.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "app/Station.h"
#include "app/StationLog.h"
#include "cli/ExitStatus.h"
#include "cli/Interruption.h"
#include "cli/ResultOutput.h"
#include "cli/RunSetup.h"
#include "cli/StationDisplay.h"
#include "common/Console.h"
#include "common/OutputFile.h"
#include "common/Sha256.h"
#include "common/ShownText.h"
#include "common/Text.h"
#include "sim/SimBusOptions.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace vantrel::cli {

int RunStation(const Options& options) {
    InstallInterruptHandlers();
    JobRequest request;
    std::vector<std::wstring> refusal;
    if (!ReadJobRequest(options, request, refusal)) return kExitUsage;
    std::wstring problem;
    if (!refusal.empty()) {
        for (const std::wstring& line : refusal) UsageProblem(line);
        if (options.json) PrintFinalJson(EarlyEndJson(kExitFileRefused));
        return kExitFileRefused;
    }
    std::vector<sim::SimOptions> simOptions;
    if (options.simulate && !PrepareSimOptions(options, simOptions)) return kExitUsage;
    // Of a station's writers, an APROM image is written of the one named.
    for (const std::wstring& text : options.simApromOut) {
        int index = 0;
        std::wstring rest;
        if (sim::SplitWriterPrefix(text, options.simWriters, index, rest, problem) && index == 0) {
            UsageProblem(L"--sim-aprom-out with --all names its writer: sim-K:FILE");
            return kExitUsage;
        }
    }
    const std::vector<std::wstring> inputs = RunInputs(options, true);
    if (!CheckOutputs(options, inputs)) return kExitUsage;
    std::unique_ptr<FILE, int (*)(FILE*)> log(nullptr, &std::fclose);
    if (!options.log.empty()) {
        log.reset(OpenLineOutput(options.log, inputs, problem, true));
        if (!log) {
            UsageProblem(L"cannot open the log '" + ShownPath(options.log) + L"': " + problem);
            return kExitUsage;
        }
        // Each line leaves in one write, so that stations sharing a log never mix lines.
        std::setvbuf(log.get(), nullptr, _IOFBF, 1 << 20);
    }

    // In virtual time each simulated writer's job runs on a clock of its own that
    // follows the station's: one job's pauses never run out another's waits.
    std::unique_ptr<IClock> clock;
    std::vector<std::unique_ptr<VirtualClock>> writerClocks;
    if (options.simClock == ClockKind::Virtual) {
        auto station = std::make_unique<VirtualClock>();
        for (uint32_t i = 0; i < options.simWriters; ++i) {
            writerClocks.push_back(std::make_unique<VirtualClock>(1, station.get()));
        }
        clock = std::move(station);
    } else {
        clock = std::make_unique<RealClock>();
    }
    auto clockOfIndex = [&](int index) -> IClock& {
        return writerClocks.empty() ? *clock : *writerClocks.at(static_cast<size_t>(index - 1));
    };
    std::unique_ptr<sim::SimWriterBus> bus;
    std::unique_ptr<OsBackend> os;
    IHidPlatform* platform;
    if (options.simulate) {
        bus = std::make_unique<sim::SimWriterBus>(clockOfIndex, simOptions);
        platform = &bus->Platform();
    } else {
        os = MakeCliBackend();
        platform = &os->Platform();
    }
    std::unique_ptr<IDeviceEventSource> events;
    if (bus) {
        events = std::make_unique<sim::SimBusEvents>(*bus);
    } else {
        events = os->MakeEvents(*platform, *clock);
    }
    const std::unique_ptr<IClaimBackend> systemClaims = MakeClaimBackend(bus != nullptr);
    const std::string commandName = ToUtf8(CommandName(options.command));
    const std::string holder = DescribeHolder("vantrel-cli", commandName + " --all");
    WriterClaims claims(systemClaims ? *systemClaims : SimulatedWriterClaims(),
                        [&] { return holder; });

    ConsoleStream& out = options.json ? StandardError() : StandardOutput();
    StationDisplay display(out, out.IsTerminal(), options.verbosity == Verbosity::Quiet);
    const std::string file = ToUtf8(ShownPath(options.file));
    const std::string sha256 = Sha256Hex(request.bytes);
    size_t succeeded = 0;
    std::vector<std::wstring> failed;
    bool logFailed = false;

    StationSetup setup;
    setup.request = std::move(request);
    setup.claim.upgrade = options.command == Command::Upgrade;
    setup.mode = options.mode;
    setup.watch = options.watch;
    setup.count = options.count;
    setup.idleSeconds = options.idleSeconds;
    setup.waitMs = options.wait ? options.waitSeconds * 1000 : 0;
    // Simulated writers by their index on the bus (sim-K); 0 for any other place.
    auto simIndex = [&](const std::wstring& place) {
        const int index = sim::SimWriter::IndexAt(place);
        return bus && index >= 1 && index <= bus->Count() ? index : 0;
    };
    setup.clockOf = [&](const std::wstring& place) -> IClock* {
        const int index = simIndex(place);
        return index == 0 || writerClocks.empty()
                   ? nullptr
                   : writerClocks[static_cast<size_t>(index - 1)].get();
    };
    if (bus) {
        setup.eventsOf = [&](const AttachedWriter& writer) -> std::unique_ptr<IDeviceEventSource> {
            const int index = simIndex(writer.location);
            if (index == 0) return nullptr;
            return std::make_unique<sim::SimWriterEvents>(bus->Writer(index));
        };
    }
    setup.listener = [&](const std::wstring& place, const std::wstring& text) {
        display.Event(place, text);
    };
    setup.notice = [&](const std::wstring& text) { display.Notice(text); };
    setup.finished = [&](const StationJobResult& job) {
        const bool ok = job.row.outcome == JobOutcome::Succeeded;
        if (ok) {
            ++succeeded;
        } else {
            failed.push_back(job.row.location);
        }
        display.Result(job.row, job.milliseconds);
        OrderedJson line = StationLogLine(job, commandName, file, sha256, UtcTimeNow());
        line["exit"] = ExitClass(job.row.outcome);
        const std::string text = JsonLine(line);
        if (log && (std::fputs(text.c_str(), log.get()) < 0 || std::fflush(log.get()) != 0)) {
            if (!logFailed)
                display.Notice(L"cannot write the log '" + ShownPath(options.log) + L"'");
            logFailed = true;
        }
        if (options.json) StandardOutput().WriteUtf8(text);
    };

    Station station(*clock, *platform, *events, claims, std::move(setup));
    SetInterruptHandler([&](int count) {
        if (count == 1) {
            station.StopNewJobs();
            display.Notice(
                L"interrupted: no new job starts; the running ones finish (interrupt again to "
                L"stop at once)");
            return;
        }
        // Every finished job is in the log already: only the running ones are told.
        std::string text;
        for (const std::string& where : station.WhereRunningWritersAre()) {
            text += "vantrel-cli: interrupted: " + where + "\n";
        }
        std::fputs(text.c_str(), stderr);
        std::fflush(stderr);
#ifdef _WIN32
        ExitProcess(kInterruptedStatus);
#else
        _exit(kInterruptedStatus);
#endif
    });
    const size_t jobs = station.Run([&] { display.Draw(station.Rows()); });
    display.Close(station.Rows());
    SetInterruptHandler(nullptr);

    int status = kExitOk;
    for (const std::wstring& text : options.simApromOut) {
        int index = 0;
        std::wstring path;
        sim::SplitWriterPrefix(text, options.simWriters, index, path, problem);
        if (!WriteOutputFile(path, bus->Writer(index).Aprom(), inputs, problem,
                             InterruptionFileHooks())) {
            display.Notice(L"cannot write '" + ShownPath(path) + L"': " + problem);
            status = kExitUsage;
        }
    }
    // With --json standard output holds the jobs' lines alone: no final object
    // follows them.
    if (jobs > 0 && options.json) PrintFinalJson("");
    if (jobs == 0) {
        display.Notice(options.watch || options.wait ? L"no writer came"
                                                     : L"no writer is attached");
        return kExitNoWriter;
    }
    std::wstring summary = std::to_wstring(jobs) + (jobs == 1 ? L" job: " : L" jobs: ") +
                           std::to_wstring(succeeded) + L" succeeded, " +
                           std::to_wstring(failed.size()) + L" failed";
    for (size_t i = 0; i < failed.size(); ++i) summary += (i == 0 ? L" (" : L", ") + failed[i];
    if (!failed.empty()) summary += L")";
    display.Notice(summary);
    if (!failed.empty()) return kExitFailed;
    return logFailed ? kExitUsage : status;
}

}  // namespace vantrel::cli
