// A station of N simulated writers on the machine's real clock, configured or
// upgraded at once, against one writer's job in the same run. The counter "ratio" is
// the station's time over the one writer's time (1.0: the writers cost each other
// nothing); "cpu_ms_per_writer" is the host CPU (user and system, all threads) that
// each writer's job takes.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstring>
#include <map>
#include <random>
#include <vector>

#include "app/Station.h"
#include "configure/ControlFileWriter.h"
#include "sim/SimWriterBus.h"
#include "upgrade/FirmwareImage.h"
#include "upgrade/FirmwareSealer.h"
#include "upgrade/IntelHexWriter.h"

using namespace vantrel;

namespace {

double CpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

StationSetup SetupFor(JobKind kind) {
    StationSetup setup;
    setup.request.kind = kind;
    if (kind == JobKind::Configure) {
        setup.request.file = L"ic.ctl";
        ControlFileContents contents;
        std::memcpy(contents.name, "STATION", 7);
        const uint8_t key[8] = {0x0E, 0x32, 0x92, 0x32, 0xEA, 0x6D, 0x0D, 0x73};
        std::memcpy(contents.key, key, 8);
        for (uint32_t i = 0; i < 4096; ++i) contents.programWords.push_back(uint16_t(i * 7));
        contents.icDescriptor[9] = '1';
        setup.request.bytes = BuildControlFile(contents);
        setup.mode = 2;
    } else {
        std::vector<uint8_t> image(kFirmwareImageSize);
        std::mt19937 random(11);
        for (uint8_t& b : image) b = static_cast<uint8_t>(random());
        setup.request.file = L"fw.hex";
        setup.request.bytes = SealFirmware(BuildIntelHex(image));
    }
    return setup;
}

struct StationRun {
    double wallMs = 0;
    double cpuMs = 0;
    size_t succeeded = 0;
};

StationRun RunStation(JobKind kind, int writers) {
    RealClock clock;
    sim::SimWriterBus bus(clock, std::vector<sim::SimOptions>(static_cast<size_t>(writers)));
    sim::SimBusEvents events(bus);
    InProcessClaimBackend backend;
    WriterClaims claims(backend, [] { return std::string("bench"); });
    StationRun run;
    StationSetup setup = SetupFor(kind);
    setup.eventsOf = [&bus](const AttachedWriter& writer) {
        return std::make_unique<sim::SimWriterEvents>(
            bus.Writer(std::stoi(writer.location.substr(4))));
    };
    setup.finished = [&](const StationJobResult& result) {
        run.succeeded += result.row.outcome == JobOutcome::Succeeded;
    };
    Station station(clock, bus.Platform(), events, claims, std::move(setup));
    const double cpu = CpuMs();
    const auto start = std::chrono::steady_clock::now();
    station.Run({});
    run.wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.cpuMs = CpuMs() - cpu;
    return run;
}

// One writer's time, measured once per kind in this run.
double OneWriterMs(JobKind kind) {
    static std::map<JobKind, double> baseline;
    auto it = baseline.find(kind);
    if (it == baseline.end()) it = baseline.emplace(kind, RunStation(kind, 1).wallMs).first;
    return it->second;
}

void BM_Station(benchmark::State& state, JobKind kind) {
    const int writers = static_cast<int>(state.range(0));
    const double one = OneWriterMs(kind);
    StationRun run;
    for (auto _ : state) {
        run = RunStation(kind, writers);
        state.SetIterationTime(run.wallMs / 1000.0);
    }
    if (run.succeeded != static_cast<size_t>(writers)) state.SkipWithError("a job failed");
    state.counters["ratio"] = run.wallMs / one;
    state.counters["cpu_ms_per_writer"] = run.cpuMs / writers;
    state.counters["one_writer_ms"] = one;
}

}  // namespace

BENCHMARK_CAPTURE(BM_Station, configure, JobKind::Configure)
    ->Arg(1)
    ->Arg(8)
    ->Arg(32)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Station, upgrade, JobKind::Upgrade)
    ->Arg(1)
    ->Arg(8)
    ->Arg(32)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
