// One configuration against the simulated writer on the machine's real clock,
// from the start of the job to its result: a full program area (16640 words) and
// 256 EEPROM entries. Its floor is what the protocol itself waits, the 2000 ms
// pause of each of the two bulk-data commands. The counter "ratio" is the measured
// time over that floor.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/VantrelCore.h"
#include "common/Clock.h"
#include "common/SilentView.h"
#include "configure/ControlFileWriter.h"
#include "sim/SimWriter.h"

using namespace vantrel;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double kConfigureFloorMs = 2 * 2000.0;

// A control file for an asked IC type with every area full, removed at the end.
class ControlFileOnDisk {
public:
    ControlFileOnDisk() {
        ControlFileContents contents;
        std::memcpy(contents.name, "BENCH-IC", 8);
        const uint8_t key[8] = {0x0E, 0x32, 0x92, 0x32, 0xEA, 0x6D, 0x0D, 0x73};
        std::memcpy(contents.key, key, 8);
        for (uint32_t i = 0; i < 16640; ++i)
            contents.programWords.push_back(static_cast<uint16_t>(i * 2654435761u >> 16));
        for (uint32_t i = 0; i < 256; ++i) contents.eepromBytes.push_back(static_cast<uint8_t>(i));
        contents.icDescriptor[9] = '7';
        contents.optionBlock[12] = 4;
        const std::vector<uint8_t> bytes = BuildControlFile(contents);
        m_path = std::filesystem::temp_directory_path() /
                 ("vantrel-bench-" + std::to_string(::getpid()) + ".ctl");
        std::ofstream(m_path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    ~ControlFileOnDisk() { std::filesystem::remove(m_path); }
    std::wstring Path() const { return m_path.wstring(); }

private:
    std::filesystem::path m_path;
};

void BM_ConfigureWithRealClock(benchmark::State& state) {
    ControlFileOnDisk file;
    double ratioSum = 0;
    for (auto _ : state) {
        RealClock clock;
        sim::SimWriter writer(clock, sim::SimOptions{});
        SilentView view;
        auto core = std::make_unique<CVantrelCore>(view, clock, writer.Platform());
        core->SetFilePath(file.Path());

        const auto start = Clock::now();
        const bool configured = core->RunConfigurationJob();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (!configured) {
            state.SkipWithError("the configuration failed");
            break;
        }
        state.SetIterationTime(seconds);
        ratioSum += seconds * 1000.0 / kConfigureFloorMs;
    }
    if (state.iterations() > 0) {
        state.counters["ratio"] = ratioSum / static_cast<double>(state.iterations());
        state.counters["floor_ms"] = kConfigureFloorMs;
    }
}

}  // namespace

BENCHMARK(BM_ConfigureWithRealClock)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
