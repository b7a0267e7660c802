// Several simulated writers on one bus: their own paths, locations that survive a
// restart, commands that reach only the writer addressed, and a late arrival.

#include "sim/SimWriterBus.h"

#include <gtest/gtest.h>

#include "tests/sim/SimTestLink.h"

using namespace vantrel;
using namespace vantrel::sim;
using namespace vantrel::sim::test;

namespace {

std::vector<std::wstring> Present(IHidPlatform& platform) {
    std::vector<std::wstring> paths;
    EXPECT_TRUE(platform.EnumerateInterfaces(paths));
    return std::vector<std::wstring>(paths.begin() + 2, paths.end());  // after the others
}

std::wstring LocationOf(IHidPlatform& platform, const std::wstring& path) {
    std::wstring location;
    platform.InterfaceLocation(path, location);
    return location;
}

}  // namespace

TEST(SimWriterBus, WritersHaveTheirOwnPathsAndKeepTheirLocationAcrossARestart) {
    VirtualClock clock;
    SimWriterBus bus(clock, std::vector<SimOptions>(3));
    IHidPlatform& platform = bus.Platform();
    const std::vector<std::wstring> paths = Present(platform);
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_EQ(paths[0], SimWriter::ApplicationPath());
    EXPECT_NE(paths[1], paths[2]);
    EXPECT_EQ(LocationOf(platform, paths[2]), L"sim-3");
    EXPECT_EQ(LocationOf(platform, SimWriter::OtherInterfacePaths()[0]), L"");

    // The second writer restarts into its boot loader; the others see nothing.
    {
        SimLink link(platform, paths[1]);
        ASSERT_EQ(link.Send(AppCommand(1, 0x0007000B, 0)), HidIo::Completed);
    }
    clock.Advance(100);
    const std::vector<std::wstring> after = Present(platform);
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[1], SimWriter::InterfacePath(2, SimMode::BootLoader));
    EXPECT_EQ(LocationOf(platform, after[1]), L"sim-2");
    EXPECT_EQ(bus.Writer(2).Mode(), SimMode::BootLoader);
    EXPECT_EQ(bus.Writer(2).RecordedNames(), std::vector<std::string>{"EnterLdrom"});
    EXPECT_TRUE(bus.Writer(1).RecordedNames().empty());
    EXPECT_TRUE(bus.Writer(3).RecordedNames().empty());
    EXPECT_EQ(bus.TakeDueEvents().size(), 2u);  // removal and arrival of writer 2
    for (int i = 1; i <= 3; ++i) EXPECT_TRUE(bus.Writer(i).Anomalies().empty());
}

TEST(SimWriterBus, AnAbsentWriterArrivesWhenItsTimeComes) {
    VirtualClock clock;
    SimOptions late;
    late.absent = true;
    late.arriveAfterMs = 500;
    SimWriterBus bus(clock, {SimOptions{}, late});
    EXPECT_EQ(Present(bus.Platform()).size(), 1u);
    EXPECT_EQ(bus.NextEventDueIn(), std::optional<uint32_t>(500));
    clock.Advance(500);
    EXPECT_EQ(Present(bus.Platform()).size(), 2u);
    const auto events = bus.TakeDueEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].broadcast.name, SimWriter::InterfacePath(2, SimMode::Application));
}
