// The station in one process on a simulated bus whose writers the test unplugs and
// plugs in: a writer plugged in again is a new job, and a writer unplugged in the
// middle of its upgrade fails alone while the other one's upgrade succeeds.

#include "app/Station.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "link/ForwardingPlatform.h"
#include "sim/SimWriterBus.h"
#include "tests/support/ControlFileBuilder.h"
#include "upgrade/FirmwareImage.h"
#include "upgrade/FirmwareSealer.h"
#include "upgrade/IntelHexWriter.h"

using namespace vantrel;

namespace {

// A bus that tells no locations.
class NoLocations : public ForwardingPlatform {
public:
    using ForwardingPlatform::ForwardingPlatform;
    bool InterfaceLocation(const std::wstring&, std::wstring& location) override {
        location.clear();
        return false;
    }
};

// Writers on a bus, each on its own virtual clock that follows the station's.
class StationRig {
public:
    explicit StationRig(int writers) {
        for (int i = 0; i < writers; ++i) {
            clocks.push_back(std::make_unique<VirtualClock>(1, &clock));
        }
        bus = std::make_unique<sim::SimWriterBus>(
            [this](int index) -> IClock& { return *clocks[static_cast<size_t>(index - 1)]; },
            std::vector<sim::SimOptions>(static_cast<size_t>(writers)));
    }

    // Runs a station; `turn` acts on the bus on each pass of its loop.
    std::vector<StationJobResult> Run(StationSetup setup, std::function<void()> turn = {}) {
        std::vector<StationJobResult> results;
        setup.clockOf = [this](const std::wstring& place) -> IClock* {
            return place.rfind(L"sim-", 0) == 0 ? clocks.at(std::stoul(place.substr(4)) - 1).get()
                                                : &clock;
        };
        if (located)
            setup.eventsOf = [this](const AttachedWriter& writer) {
                return std::make_unique<sim::SimWriterEvents>(
                    bus->Writer(std::stoi(writer.location.substr(4))));
            };
        setup.finished = [&](const StationJobResult& result) {
            results.push_back(result);
            if (onFinished) onFinished(result);
        };
        sim::SimBusEvents events(*bus);
        WriterClaims claims(backend, [] { return std::string("test"); });
        NoLocations unlocated(bus->Platform());
        IHidPlatform& platform = located ? bus->Platform() : unlocated;
        Station station(clock, platform, events, claims, std::move(setup));
        station.Run(turn);
        return results;
    }

    VirtualClock clock;
    std::vector<std::unique_ptr<VirtualClock>> clocks;
    std::unique_ptr<sim::SimWriterBus> bus;
    InProcessClaimBackend backend;
    std::function<void(const StationJobResult&)> onFinished;
    // false: the bus tells no locations (as Wine's HID bus), the writers are chosen
    // by their paths.
    bool located = true;
};

TEST(Station, AWriterPluggedInAgainIsANewJob) {
    StationRig rig(2);
    StationSetup setup;
    setup.request.kind = JobKind::Configure;
    setup.request.file = L"ic.ctl";
    setup.request.bytes = test::ControlFileBuilder().IcType('1').Build();
    setup.mode = 2;
    setup.watch = true;
    setup.count = 3;
    // sim-1 leaves once its job ended and comes back a while later.
    int sinceUnplug = -1;
    rig.onFinished = [&](const StationJobResult& result) {
        if (result.row.location == L"sim-1" && sinceUnplug < 0) {
            rig.bus->Writer(1).Unplug();
            sinceUnplug = 0;
        }
    };
    const auto results = rig.Run(setup, [&] {
        if (sinceUnplug >= 0 && ++sinceUnplug == 50) {
            rig.bus->Writer(1).PlugIn(sim::SimMode::Application);
        }
    });
    ASSERT_EQ(results.size(), 3u);
    std::map<std::wstring, int> jobs;
    for (const StationJobResult& result : results) {
        EXPECT_EQ(result.row.outcome, JobOutcome::Succeeded) << result.texts.dump();
        ++jobs[result.row.location];
    }
    EXPECT_EQ(jobs[L"sim-1"], 2);
    EXPECT_EQ(jobs[L"sim-2"], 1);
}

TEST(Station, AWriterUnpluggedMidUpgradeFailsAloneAndTheOtherSucceeds) {
    StationRig rig(2);
    std::vector<uint8_t> image(kFirmwareImageSize);
    std::mt19937 random(7);
    for (uint8_t& b : image) b = static_cast<uint8_t>(random());
    StationSetup setup;
    setup.request.kind = JobKind::Upgrade;
    setup.request.file = L"fw.hex";
    setup.request.bytes = SealFirmware(BuildIntelHex(image));
    // sim-2 is pulled out after its 40th page was programmed.
    rig.clocks[1]->SetSleepHook([&](uint32_t) {
        int programmed = 0;
        for (const std::string& name : rig.bus->Writer(2).RecordedNames()) {
            programmed += name == "ProgramApromPage";
        }
        if (programmed == 40 && rig.bus->Writer(2).Mode() != sim::SimMode::Absent) {
            rig.bus->Writer(2).Unplug();
        }
    });
    const auto results = rig.Run(setup);
    ASSERT_EQ(results.size(), 2u);
    for (const StationJobResult& result : results) {
        const bool pulled = result.row.location == L"sim-2";
        EXPECT_EQ(result.row.outcome, pulled ? JobOutcome::Failed : JobOutcome::Succeeded)
            << result.texts.dump();
    }
    // The writer that stayed has the whole new firmware.
    const std::vector<uint8_t> aprom = rig.bus->Writer(1).Aprom();
    EXPECT_TRUE(std::equal(image.begin(), image.end(), aprom.begin()));
}

TEST(Station, WithoutLocationsOneWriterAtATimeRestartsAndTheOthersGoOn) {
    StationRig rig(3);
    rig.located = false;
    std::vector<uint8_t> image(kFirmwareImageSize, 0x5A);
    StationSetup setup;
    setup.request.kind = JobKind::Upgrade;
    setup.request.file = L"fw.hex";
    setup.request.bytes = SealFirmware(BuildIntelHex(image));
    std::mutex mutex;
    std::vector<std::pair<std::wstring, std::wstring>> shown;
    setup.listener = [&](const std::wstring& place, const std::wstring& text) {
        std::lock_guard<std::mutex> lock(mutex);
        shown.emplace_back(place, text);
    };
    int notices = 0;
    setup.notice = [&](const std::wstring&) { ++notices; };
    const auto results = rig.Run(setup);
    ASSERT_EQ(results.size(), 3u);
    for (const StationJobResult& result : results) {
        EXPECT_EQ(result.row.outcome, JobOutcome::Succeeded) << result.texts.dump();
    }
    EXPECT_EQ(notices, 1);
    // Between a writer's leaving for its boot loader and its boot loader answering,
    // no other writer leaves.
    std::wstring restarting;
    for (const auto& [place, text] : shown) {
        if (text == L"连接LDROM...") {
            EXPECT_TRUE(restarting.empty()) << "two writers restart at once";
            restarting = place;
        }
        if (text == L"连接LDROM成功!" && place == restarting) restarting.clear();
    }
    for (int i = 1; i <= 3; ++i) {
        const std::vector<uint8_t> aprom = rig.bus->Writer(i).Aprom();
        EXPECT_TRUE(std::equal(image.begin(), image.end(), aprom.begin())) << i;
    }
}

}  // namespace
