// The tool's own link, presence tracking and boot-loader commands against the
// simulated writer, in virtual time: the two sides encode and decode the commands
// independently, so these tests catch a wrong byte on either side.

#include "tests/support/SimHarness.h"

#include <gtest/gtest.h>

#include "common/WindowSystem.h"

using namespace vantrel;
using namespace vantrel::sim;
using vantrel::test::SimHarness;

namespace {

SimOptions Options(bool boot, std::initializer_list<const char*> faults = {}) {
    SimOptions options;
    options.startInBootLoader = boot;
    for (const char* text : faults) {
        Fault fault;
        std::string error;
        EXPECT_TRUE(ParseFault(text, fault, error)) << error;
        options.faults.push_back(fault);
    }
    return options;
}

}  // namespace

TEST(SimHarness, StartUpShowsTheModeTheWriterIsIn) {
    SimHarness app(Options(false));
    app.Start();
    EXPECT_EQ(app.view.LastPane(kPaneConnection), L"writer connect");
    EXPECT_TRUE(app.core.m_bWriterConnected);

    SimHarness boot(Options(true));
    boot.Start();
    EXPECT_EQ(boot.view.LastPane(kPaneConnection), L"boot connect");
    EXPECT_EQ(boot.writer.RecordedNames(), std::vector<std::string>{"QueryBootLoader"});

    SimOptions absentOptions;
    absentOptions.absent = true;
    SimHarness absent(absentOptions);
    absent.Start();
    EXPECT_EQ(absent.view.LastPane(kPaneConnection), L"writer unconnect");
    EXPECT_FALSE(absent.core.m_bDevicePresent);
    absent.writer.PlugIn(SimMode::Application);
    absent.DeliverDueEvents();
    EXPECT_EQ(absent.view.LastPane(kPaneConnection), L"writer connect");

    for (SimHarness* harness : {&app, &boot, &absent}) {
        EXPECT_TRUE(harness->writer.Anomalies().empty());
        EXPECT_TRUE(harness->view.Messages().empty());
    }
}

TEST(SimHarness, EnterLdromReenumeratesIntoTheBootLoaderThatPresenceConfirms) {
    SimHarness h(Options(false));
    h.Start();
    h.core.m_bAwaitingBootLoader = TRUE;
    ASSERT_TRUE(h.core.EnterLdrom());
    h.DeliverDueEvents();
    EXPECT_EQ(h.view.LastPane(kPaneConnection), L"writer unconnect");
    EXPECT_TRUE(h.core.m_bAwaitingBootLoader);

    h.AdvanceAndDeliver(99);
    EXPECT_TRUE(h.core.m_bAwaitingBootLoader);
    h.AdvanceAndDeliver(1);
    EXPECT_EQ(h.view.LastPane(kPaneConnection), L"boot connect");
    EXPECT_FALSE(h.core.m_bAwaitingBootLoader);
    EXPECT_EQ(h.writer.RecordedNames(),
              (std::vector<std::string>{"EnterLdrom", "QueryBootLoader"}));
    EXPECT_TRUE(h.writer.Anomalies().empty());
}

TEST(SimHarness, ToolsBootLoaderCommandsProgramAndVerifyAPage) {
    SimHarness h(Options(true, {"refuse:EraseApromPage#2"}));
    h.Start();
    std::vector<uint8_t> page(512);
    for (size_t i = 0; i < page.size(); ++i) page[i] = static_cast<uint8_t>(i * 7);
    uint32_t expected = 0;
    for (size_t i = 0; i < 512; i += 4) {
        expected += uint32_t(page[i]) | uint32_t(page[i + 1]) << 8 | uint32_t(page[i + 2]) << 16 |
                    uint32_t(page[i + 3]) << 24;
    }

    ASSERT_TRUE(h.core.EraseApromPage(0x200));
    ASSERT_TRUE(h.core.ProgramApromPage(0x200, page.data()));
    uint32_t checksum = 0;
    ASSERT_TRUE(h.core.ReadApromChecksum(0x200, checksum));
    EXPECT_EQ(checksum, expected);
    const std::vector<uint8_t> aprom = h.writer.Aprom();
    EXPECT_TRUE(std::equal(page.begin(), page.end(), aprom.begin() + 0x200));

    EXPECT_FALSE(h.core.EraseApromPage(0x400));  // refused: no message
    EXPECT_TRUE(h.view.Messages().empty());

    ASSERT_TRUE(h.core.SystemReset());
    h.AdvanceAndDeliver(100);
    EXPECT_EQ(h.view.LastPane(kPaneConnection), L"writer connect");
    EXPECT_EQ(h.writer.RecordedNames(),
              (std::vector<std::string>{"QueryBootLoader", "EraseApromPage", "ProgramApromPage",
                                        "ReadApromChecksum", "EraseApromPage", "SystemReset"}));
    EXPECT_TRUE(h.writer.Anomalies().empty());
    // Only time-outs and the tool's own 10 ms pause before the page data take time.
    EXPECT_EQ(h.clock.SleptTotal(), 10u);
}

TEST(SimHarness, BootLoaderThatNeverAnswersIsShownUnconnectedAfterTenWaits) {
    SimHarness h(Options(true, {"noboot"}));
    h.Start();
    EXPECT_EQ(h.view.LastPane(kPaneConnection), L"writer unconnect");
    EXPECT_EQ(h.view.Messages(), std::vector<std::wstring>{L"ERROR: Read fail!\n"});
    EXPECT_EQ(h.clock.SleptTotal(), 10u * 4000u);
}
