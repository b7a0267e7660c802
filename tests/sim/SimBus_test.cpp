// The simulated bus: enumeration, attributes, handles, report checks, input
// delivery, time-outs on the clock and re-enumeration with its device events.

#include <gtest/gtest.h>

#include <thread>

#include "common/WindowSystem.h"
#include "tests/sim/SimTestLink.h"

using namespace vantrel;
using namespace vantrel::sim;
using namespace vantrel::sim::test;

namespace {

class SimBusTest : public ::testing::Test {
protected:
    VirtualClock clock;
    SimWriter writer{clock, SimOptions{}};
    IHidPlatform& platform = writer.Platform();
};

const Bytes64 kConnect = AppCommand(1, 0x0006000B, 0);
const Bytes64 kEnterLdrom = AppCommand(1, 0x0007000B, 0);

}  // namespace

TEST_F(SimBusTest, EnumeratesOtherDevicesFirstAndReportsEachModesAttributes) {
    std::vector<std::wstring> paths;
    ASSERT_TRUE(platform.EnumerateInterfaces(paths));
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_EQ(paths.back(), SimWriter::ApplicationPath());
    EXPECT_NE(paths.back().find(L"vid_0416&pid_5020"), std::wstring::npos);

    // The unrelated interfaces answer the attribute query but cannot be opened.
    HidAttributes attributes;
    ASSERT_TRUE(platform.QueryAttributes(paths[0], attributes));
    EXPECT_NE(attributes.vendorId, 0x0416);
    ASSERT_TRUE(platform.QueryAttributes(paths[1], attributes));
    EXPECT_EQ(attributes.vendorId, 0x0416);
    EXPECT_NE(attributes.productId, 0x5020);
    EXPECT_EQ(platform.OpenForRead(paths[0]), kInvalidHidHandle);

    ASSERT_TRUE(platform.QueryAttributes(SimWriter::ApplicationPath(), attributes));
    EXPECT_EQ(attributes.vendorId, 0x0416);
    EXPECT_EQ(attributes.productId, 0x5020);
    EXPECT_EQ(attributes.versionNumber, 0x0100);
    // Paths compare without regard to letter case, as on Windows.
    std::wstring upper = SimWriter::ApplicationPath();
    for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));
    EXPECT_TRUE(platform.QueryAttributes(upper, attributes));

    // The boot loader's interface is not on the bus while the application runs.
    EXPECT_FALSE(platform.QueryAttributes(SimWriter::BootLoaderPath(), attributes));
    EXPECT_EQ(platform.OpenForWrite(SimWriter::BootLoaderPath()), kInvalidHidHandle);

    writer.PlugIn(SimMode::BootLoader);
    ASSERT_TRUE(platform.QueryAttributes(SimWriter::BootLoaderPath(), attributes));
    EXPECT_EQ(attributes.versionNumber, 0x8888);
    EXPECT_FALSE(platform.QueryAttributes(SimWriter::ApplicationPath(), attributes));
}

TEST_F(SimBusTest, AbsentWriterListsOnlyOtherDevices) {
    SimOptions options;
    options.absent = true;
    SimWriter absent(clock, options);
    std::vector<std::wstring> paths;
    ASSERT_TRUE(absent.Platform().EnumerateInterfaces(paths));
    EXPECT_EQ(paths, SimWriter::OtherInterfacePaths());
    EXPECT_EQ(absent.Mode(), SimMode::Absent);
    EXPECT_TRUE(absent.TakeDueEvents().empty());
}

TEST_F(SimBusTest, RefusesReportsThatAreNot65BytesWithReportIdZero) {
    SimLink link(platform, SimWriter::ApplicationPath());
    ASSERT_TRUE(link.IsOpen());
    uint8_t report[65] = {0};
    std::copy(kConnect.begin(), kConnect.end(), report + 1);
    uint32_t transferred = 99;
    EXPECT_EQ(platform.Write(link.write, report + 1, 64, 4000, transferred), HidIo::Refused);
    EXPECT_EQ(transferred, 0u);
    report[0] = 1;
    EXPECT_EQ(platform.Write(link.write, report, 65, 4000, transferred), HidIo::Refused);
    EXPECT_EQ(writer.Anomalies().size(), 2u);
    EXPECT_TRUE(writer.RecordedCommands().empty());
    EXPECT_TRUE(writer.Trace().empty());
    // Writing on the read handle is a fault of the caller too.
    report[0] = 0;
    EXPECT_EQ(platform.Write(link.read, report, 65, 4000, transferred), HidIo::Refused);

    report[0] = 0;
    EXPECT_EQ(platform.Write(link.write, report, 65, 4000, transferred), HidIo::Completed);
    EXPECT_EQ(transferred, 65u);
}

TEST_F(SimBusTest, RepliesReachEveryOpenReadHandleAndAnEmptyQueueWaitsOutTheTimeout) {
    SimLink first(platform, SimWriter::ApplicationPath());
    SimLink second(platform, SimWriter::ApplicationPath());
    ASSERT_EQ(first.Send(kConnect), HidIo::Completed);
    EXPECT_EQ(first.Reply()[1], 0x80);
    EXPECT_EQ(second.Reply()[1], 0x80);
    EXPECT_EQ(clock.SleptTotal(), 0u);  // nothing but time-outs ever pauses

    EXPECT_TRUE(first.NoReply(4000));
    EXPECT_EQ(clock.SleptTotal(), 4000u);
    EXPECT_EQ(clock.Now(), 4000u);

    // A handle opened after the reply was sent does not get it.
    ASSERT_EQ(first.Send(kConnect), HidIo::Completed);
    SimLink late(platform, SimWriter::ApplicationPath());
    EXPECT_TRUE(late.NoReply(10));
    EXPECT_EQ(writer.OpenHandleCount(), 6);
    late.Close();
    second.Close();
    first.Close();
    EXPECT_EQ(writer.OpenHandleCount(), 0);
    EXPECT_TRUE(writer.Anomalies().empty());

    platform.Close(first.read + 1000);  // never opened
    EXPECT_EQ(writer.Anomalies().size(), 1u);
}

TEST_F(SimBusTest, EnterLdromLeavesTheBusAtOnceAndArrivesAsBootLoaderAfterTheDelay) {
    SimLink link(platform, SimWriter::ApplicationPath());
    ASSERT_EQ(link.Send(kEnterLdrom), HidIo::Completed);

    auto events = writer.TakeDueEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].eventType, kDbtDeviceRemoveComplete);
    EXPECT_EQ(events[0].broadcast.deviceType, kDbtDevtypDeviceInterface);
    EXPECT_EQ(events[0].broadcast.name, SimWriter::ApplicationPath());
    EXPECT_EQ(writer.Mode(), SimMode::Absent);
    EXPECT_EQ(writer.NextEventDueIn(), std::optional<uint32_t>(100));

    // The handles of the departed device are dead: reads end with nothing at once,
    // writes fail.
    HidIo io;
    uint32_t transferred = 7;
    link.Receive(io, transferred);
    EXPECT_EQ(io, HidIo::Completed);
    EXPECT_EQ(transferred, 0u);
    EXPECT_EQ(link.Send(kConnect), HidIo::Refused);
    EXPECT_EQ(clock.SleptTotal(), 0u);

    clock.Advance(99);
    EXPECT_TRUE(writer.TakeDueEvents().empty());
    EXPECT_EQ(writer.NextEventDueIn(), std::optional<uint32_t>(1));
    std::vector<std::wstring> paths;
    platform.EnumerateInterfaces(paths);
    EXPECT_EQ(paths.size(), 2u);

    clock.Advance(1);
    EXPECT_EQ(writer.Mode(), SimMode::BootLoader);
    events = writer.TakeDueEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].eventType, kDbtDeviceArrival);
    EXPECT_EQ(events[0].broadcast.name, SimWriter::BootLoaderPath());
    EXPECT_EQ(writer.NextEventDueIn(), std::nullopt);

    // Still dead: a handle belongs to the device instance it was opened on.
    link.Receive(io, transferred);
    EXPECT_EQ(transferred, 0u);
    SimLink boot(platform, SimWriter::BootLoaderPath());
    EXPECT_TRUE(boot.IsOpen());
}

TEST_F(SimBusTest, UnplugDropsAScheduledArrivalAndPlugInArrivesAtOnce) {
    {
        SimLink link(platform, SimWriter::ApplicationPath());
        link.Send(kEnterLdrom);
    }
    writer.Unplug();  // before the boot loader came up
    clock.Advance(1000);
    EXPECT_EQ(writer.Mode(), SimMode::Absent);
    EXPECT_EQ(writer.TakeDueEvents().size(), 1u);  // only the removal

    writer.PlugIn(SimMode::Application);
    auto events = writer.TakeDueEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].eventType, kDbtDeviceArrival);
    EXPECT_EQ(events[0].broadcast.name, SimWriter::ApplicationPath());

    // Plugging in while present leaves first.
    writer.PlugIn(SimMode::BootLoader);
    events = writer.TakeDueEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].eventType, kDbtDeviceRemoveComplete);
    EXPECT_EQ(events[1].broadcast.name, SimWriter::BootLoaderPath());
}

TEST_F(SimBusTest, TracesEveryReportInBothDirectionsInOrder) {
    std::vector<std::string> sunk;
    writer.SetTraceSink([&](const std::string& line) { sunk.push_back(line); });
    SimLink link(platform, SimWriter::ApplicationPath());
    link.Send(AppCommand(1, 0x0005000B, 0));
    link.Reply();
    const std::vector<std::string> expected = {
        "OUT app 02010b0005000000" + std::string(112, '0'),
        "IN app 0080000000000000"
        "03000000" +
            std::string(104, '0'),
    };
    EXPECT_EQ(writer.Trace(), expected);
    EXPECT_EQ(sunk, expected);
    EXPECT_EQ(expected[0].size(), 8u + 128u);

    writer.PlugIn(SimMode::BootLoader);
    SimLink boot(platform, SimWriter::BootLoaderPath());
    boot.Send(QueryBootCommand());
    boot.Reply();
    const auto trace = writer.Trace();
    ASSERT_EQ(trace.size(), 4u);
    EXPECT_EQ(trace[2].substr(0, 25), "OUT boot 0505000000000100");
    EXPECT_EQ(trace[3].substr(0, 12), "IN boot 0100");
    writer.ClearTrace();
    EXPECT_TRUE(writer.Trace().empty());
}

TEST_F(SimBusTest, WorkerAndUserInterfaceThreadsMayUseItTogether) {
    // The worker runs transactions while the user-interface thread enumerates,
    // queries and takes events, as presence tracking does.
    std::thread worker([&] {
        for (int i = 0; i < 200; ++i) {
            SimLink link(platform, SimWriter::ApplicationPath());
            ASSERT_EQ(link.Send(kConnect), HidIo::Completed);
            EXPECT_EQ(link.Reply()[1], 0x80);
        }
    });
    for (int i = 0; i < 200; ++i) {
        std::vector<std::wstring> paths;
        platform.EnumerateInterfaces(paths);
        HidAttributes attributes;
        EXPECT_TRUE(platform.QueryAttributes(SimWriter::ApplicationPath(), attributes));
        EXPECT_TRUE(writer.TakeDueEvents().empty());
        writer.Trace();
    }
    worker.join();
    EXPECT_EQ(writer.RecordedCommands().size(), 200u);
    EXPECT_EQ(writer.Trace().size(), 400u);
    EXPECT_TRUE(writer.Anomalies().empty());
}
