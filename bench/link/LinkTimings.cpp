// vantrel_link_timings: how long the link's parts take on the writer attached (or
// on the simulated writer in real time, for comparison): one Open with the
// application's identity (the enumeration, then Close), one report written, one
// reply read, and both restarts of the writer as the system's device list
// follows them (EnterLdrom until the boot loader opens, SystemReset until the
// application opens again).
//
// The parts of an Open are timed too: the list of interfaces alone, and the
// attribute query of the writer's interface alone; and an Open through the CLI's
// selecting layer (link/) with the writer chosen by its path (`open_selected`), whose
// ratio to `open` is that layer's cost. `open_remembered` is an Open through the
// layer that reuses the last interface list while no device change was seen (the
// console tool's), with nothing changing; `open_after_change` the same layer's Open
// right after a change was reported, which enumerates again.
//
// Usage: vantrel_link_timings [--simulate] [--count N] [--no-restart]
// Prints one line per measure: "NAME mean_ms min_ms max_ms count".
// Exit status 0 when every measure could be taken, 1 otherwise.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/Clock.h"
#include "link/DeviceChangeCount.h"
#include "link/HidDevice.h"
#include "link/OsBackend.h"
#include "link/RememberingPlatform.h"
#include "link/SelectingPlatform.h"
#include "protocol/WriterIdentity.h"
#include "sim/SimWriter.h"
#include "upgrade/BootLoaderCommands.h"

namespace {

using vantrel::kBootLoaderProductId;
using vantrel::kBootLoaderVendorId;
constexpr uint32_t kApplication = vantrel::kApplicationVersion;
constexpr uint32_t kBootLoader = vantrel::kBootLoaderVersion;
constexpr double kRestartLimitMs = 60000;

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A command record: family, request kind, command word (little-endian), length 0.
void Command(uint8_t family, uint8_t kind, uint32_t word, uint8_t record[64]) {
    std::memset(record, 0, 64);
    record[0] = family;
    record[1] = kind;
    for (int i = 0; i < 4; ++i) record[2 + i] = static_cast<uint8_t>(word >> (8 * i));
}

struct Measure {
    std::string name;
    std::vector<double> ms = {};
    void Print() const {
        if (ms.empty()) {
            std::printf("%s - - - 0\n", name.c_str());
            return;
        }
        double sum = 0;
        for (double value : ms) sum += value;
        std::printf("%s %.2f %.2f %.2f %zu\n", name.c_str(), sum / ms.size(),
                    *std::min_element(ms.begin(), ms.end()),
                    *std::max_element(ms.begin(), ms.end()), ms.size());
    }
};

// Sends a command that has no reply, then waits until `version` opens.
bool Restart(CHidDevice& device, uint32_t from, uint8_t family, uint32_t word, uint32_t to,
             Measure& measure) {
    uint8_t record[64];
    Command(family, 1, word, record);
    uint32_t written = 0;
    if (!device.Open(kBootLoaderVendorId, kBootLoaderProductId, from) ||
        !device.WriteReport(record, written)) {
        device.Close();
        return false;
    }
    device.Close();
    const auto start = Clock::now();
    while (!device.Open(kBootLoaderVendorId, kBootLoaderProductId, to)) {
        if (MsSince(start) > kRestartLimitMs) return false;
    }
    measure.ms.push_back(MsSince(start));
    device.Close();
    // A writer does not restart again the moment it has come up; neither does this
    // one, so that the system's device handling (udev, Wine's HID bus) has settled
    // before the next restart.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    bool simulate = false;
    bool restart = true;
    int count = 50;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--simulate") {
            simulate = true;
        } else if (arg == "--no-restart") {
            restart = false;
        } else if (arg == "--count" && i + 1 < argc) {
            count = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr,
                         "usage: vantrel_link_timings [--simulate] [--count N] [--no-restart]\n");
            return 2;
        }
    }

    vantrel::RealClock clock;
    std::unique_ptr<vantrel::sim::SimWriter> writer;
    std::unique_ptr<vantrel::OsBackend> os;
    vantrel::IHidPlatform* platform;
    if (simulate) {
        writer = std::make_unique<vantrel::sim::SimWriter>(clock, vantrel::sim::SimOptions{});
        platform = &writer->Platform();
    } else {
        os = vantrel::MakeOsBackend();
        platform = &os->Platform();
    }
    CHidDevice device(*platform);

    Measure open{"open"}, openSelected{"open_selected"}, write{"write"}, read{"read"};
    Measure openRemembered{"open_remembered"}, openAfterChange{"open_after_change"};
    Measure enumerate{"enumerate"}, query{"query_attributes"};
    Measure toBoot{"restart_to_boot_loader"}, toApplication{"restart_to_application"};
    bool ok = true;
    for (int i = 0; i < count && ok; ++i) {
        const auto start = Clock::now();
        ok = device.Open(kBootLoaderVendorId, kBootLoaderProductId, kApplication);
        open.ms.push_back(MsSince(start));
        device.Close();
    }
    // The parts of an Open: the list of interfaces, and the attribute query of the
    // writer's interface.
    const std::wstring writerPath = device.m_devicePath;
    {
        vantrel::SelectingPlatform selection(*platform, writerPath, vantrel::IsWriter);
        CHidDevice selected(selection);
        for (int i = 0; i < count && ok; ++i) {
            const auto start = Clock::now();
            ok = selected.Open(kBootLoaderVendorId, kBootLoaderProductId, kApplication);
            openSelected.ms.push_back(MsSince(start));
            selected.Close();
        }
    }
    {
        vantrel::DeviceChangeCount changes;
        vantrel::RememberingPlatform remembering(*platform, changes, kBootLoaderVendorId,
                                                 kBootLoaderProductId);
        CHidDevice remembered(remembering);
        ok = ok && remembered.Open(kBootLoaderVendorId, kBootLoaderProductId, kApplication);
        remembered.Close();
        for (int i = 0; i < count && ok; ++i) {
            const auto start = Clock::now();
            ok = remembered.Open(kBootLoaderVendorId, kBootLoaderProductId, kApplication);
            openRemembered.ms.push_back(MsSince(start));
            remembered.Close();
        }
        for (int i = 0; i < count && ok; ++i) {
            changes.Bump();
            const auto start = Clock::now();
            ok = remembered.Open(kBootLoaderVendorId, kBootLoaderProductId, kApplication);
            openAfterChange.ms.push_back(MsSince(start));
            remembered.Close();
        }
    }
    for (int i = 0; i < count && ok; ++i) {
        std::vector<std::wstring> paths;
        auto start = Clock::now();
        platform->EnumerateInterfaces(paths);
        enumerate.ms.push_back(MsSince(start));
        vantrel::HidAttributes attributes;
        start = Clock::now();
        platform->QueryAttributes(writerPath, attributes);
        query.ms.push_back(MsSince(start));
    }
    if (ok && device.Open(kBootLoaderVendorId, kBootLoaderProductId, kApplication)) {
        uint8_t record[64];
        Command(0x02, 1, 0x0005000B, record);  // QueryWriterLevel: one reply
        for (int i = 0; i < count && ok; ++i) {
            uint8_t reply[64];
            uint32_t bytes = 0;
            auto start = Clock::now();
            ok = device.WriteReport(record, bytes);
            write.ms.push_back(MsSince(start));
            start = Clock::now();
            ok = ok && device.ReadReport(reply, bytes);
            read.ms.push_back(MsSince(start));
        }
        device.Close();
    } else {
        ok = false;
    }
    if (ok && restart) {
        ok = Restart(device, kApplication, 0x02, vantrel::command_word::kEnterLdrom, kBootLoader,
                     toBoot) &&  // EnterLdrom
             Restart(device, kBootLoader, vantrel::kBootLoaderFamily, vantrel::kResetCommandWord,
                     kApplication,
                     toApplication);  // SystemReset
    }
    for (const Measure* measure : {&open, &openSelected, &openRemembered, &openAfterChange,
                                   &enumerate, &query, &write, &read, &toBoot, &toApplication})
        measure->Print();
    if (!ok) std::fprintf(stderr, "vantrel_link_timings: the writer did not answer or come back\n");
    return ok ? 0 : 1;
}
