// One firmware upgrade against the simulated writer on the machine's real clock,
// from the start of the job until presence tracking shows the writer back in its
// application. Its floor is what the protocol itself waits: the 136 pauses of
// 10 ms before the data reports of each page and the writer's two
// re-enumerations (into the boot loader and back). The counter "ratio" is the
// measured time over that floor.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "app/DevicePass.h"
#include "app/VantrelCore.h"
#include "common/Clock.h"
#include "sim/SimWriter.h"
#include "upgrade/FirmwareImage.h"
#include "upgrade/FirmwareSealer.h"
#include "upgrade/IntelHexWriter.h"

using namespace vantrel;
using Clock = std::chrono::steady_clock;

namespace {

constexpr uint32_t kReenumerateMs = 100;
constexpr double kUpgradeFloorMs = kPageCount * 10.0 + 2 * kReenumerateMs;

// Shows nothing; notes when the writer is back as its application and passes
// device checks on to the presence thread.
class BenchView : public IView {
public:
    void SetPaneText(int pane, const std::wstring& text) override {
        if (pane == kPaneConnection) applicationBack = text == L"writer connect";
    }
    void SetProgress(int) override {}
    void SetControlText(int, const std::wstring&) override {}
    void ShowMessage(const std::wstring&, const std::wstring&, unsigned) override {}
    uint8_t AskProgramMode() override { return 1; }
    void RequestDeviceCheck() override { checkRequested = true; }

    std::atomic<bool> applicationBack{false};
    std::atomic<bool> checkRequested{false};
};

// The user-interface thread's part: the writer's device notifications, and the
// replays of those deferred while a job transaction held the link.
class PresenceThread {
public:
    PresenceThread(CVantrelCore& core, sim::SimWriter& writer, BenchView& view)
        : m_thread([&core, &writer, &view, this] {
              while (!m_stop) {
                  auto events = writer.TakeDueEvents();
                  RunDevicePass(core, events, view.checkRequested.exchange(false));
                  if (events.empty()) std::this_thread::sleep_for(std::chrono::microseconds(100));
              }
          }) {}
    ~PresenceThread() {
        m_stop = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// A sealed firmware file with 10 KB of code and zeros elsewhere, removed at the end.
class FirmwareFile {
public:
    FirmwareFile() {
        std::vector<uint8_t> image(kFirmwareImageSize, 0);
        for (uint32_t i = 0; i < 10 * 1024; ++i) image[i] = static_cast<uint8_t>(i * 37 + 11);
        IntelHexOptions options;
        options.skipZeroRecords = true;
        const std::vector<uint8_t> sealed = SealFirmware(BuildIntelHex(image, options));
        m_path = std::filesystem::temp_directory_path() /
                 ("vantrel-bench-" + std::to_string(::getpid()) + ".hex");
        std::ofstream(m_path, std::ios::binary)
            .write(reinterpret_cast<const char*>(sealed.data()),
                   static_cast<std::streamsize>(sealed.size()));
    }
    ~FirmwareFile() { std::filesystem::remove(m_path); }
    std::wstring Path() const { return m_path.wstring(); }

private:
    std::filesystem::path m_path;
};

void BM_UpgradeWithRealClock(benchmark::State& state) {
    FirmwareFile file;
    double ratioSum = 0;
    for (auto _ : state) {
        RealClock clock;
        sim::SimOptions options;
        options.reenumerateDelayMs = kReenumerateMs;
        sim::SimWriter writer(clock, options);
        BenchView view;
        CVantrelCore core(view, clock, writer.Platform());
        core.ResetStartupState();
        core.DetectWriterAtStartup();
        view.applicationBack = false;
        PresenceThread presence(core, writer, view);

        const auto start = Clock::now();
        if (!core.RunFirmwareUpgrade(file.Path())) {
            state.SkipWithError("the upgrade failed");
            break;
        }
        const auto giveUp = Clock::now() + std::chrono::seconds(10);
        while (!view.applicationBack && Clock::now() < giveUp) std::this_thread::yield();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (!view.applicationBack) {
            state.SkipWithError("the writer did not come back");
            break;
        }
        state.SetIterationTime(seconds);
        ratioSum += seconds * 1000.0 / kUpgradeFloorMs;
    }
    if (state.iterations() > 0) {
        state.counters["ratio"] = ratioSum / static_cast<double>(state.iterations());
        state.counters["floor_ms"] = kUpgradeFloorMs;
    }
}

}  // namespace

BENCHMARK(BM_UpgradeWithRealClock)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
