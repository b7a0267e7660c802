// Presence tracking against the simulated writer: the mode changes that an
// upgrade and an operator cause, and what the link and the flags look like after.

#include <gtest/gtest.h>

#include <thread>

#include "common/WindowSystem.h"
#include "tests/support/SimHarness.h"

using namespace vantrel;
using namespace vantrel::sim;
using vantrel::test::SimHarness;

namespace {

SimOptions StartIn(bool bootLoader) {
    SimOptions options;
    options.startInBootLoader = bootLoader;
    return options;
}

TEST(PresenceSim, RoundTripThroughTheBootLoaderLeavesNoStaleState) {
    SimHarness h(StartIn(false));
    h.Start();
    h.core.m_bAwaitingBootLoader = TRUE;
    ASSERT_TRUE(h.core.EnterLdrom());
    h.AdvanceAndDeliver(100);
    ASSERT_EQ(h.view.LastPane(kPaneConnection), L"boot connect");
    EXPECT_NE(h.core.m_bBootMode, FALSE);
    EXPECT_EQ(h.writer.OpenHandleCount(), 0);  // detection does not keep the link open

    ASSERT_TRUE(h.core.SystemReset());
    h.AdvanceAndDeliver(100);
    EXPECT_EQ(h.view.PaneTexts(kPaneConnection),
              (std::vector<std::wstring>{L"writer connect", L"writer unconnect", L"boot connect",
                                         L"writer unconnect", L"writer connect"}));
    // SystemReset alone (no upgrade job to clear it) must not leave the boot
    // loader's answer behind once the application is back.
    EXPECT_EQ(h.core.m_bBootMode, FALSE);
    EXPECT_TRUE(h.core.m_bWriterConnected);
    EXPECT_EQ(h.writer.OpenHandleCount(), 0);
    EXPECT_TRUE(h.writer.Anomalies().empty());
}

TEST(PresenceSim, ReplugFromBootLoaderToApplicationClearsBootMode) {
    SimHarness h(StartIn(true));
    h.Start();
    ASSERT_NE(h.core.m_bBootMode, FALSE);
    h.writer.Unplug();
    h.DeliverDueEvents();
    EXPECT_EQ(h.view.LastPane(kPaneConnection), L"writer unconnect");
    EXPECT_EQ(h.core.m_bBootMode, FALSE);
    EXPECT_FALSE(h.core.m_bDevicePresent);

    h.writer.PlugIn(SimMode::Application);
    h.DeliverDueEvents();
    EXPECT_EQ(h.view.LastPane(kPaneConnection), L"writer connect");
    EXPECT_EQ(h.core.m_bBootMode, FALSE);  // an upgrade now asks for the boot loader first
}

TEST(PresenceSim, RemovalOfTheWriterClosesTheLinkThatEnterLdromLeftOpen) {
    SimHarness h(StartIn(false));
    h.Start();
    ASSERT_TRUE(h.core.EnterLdrom());
    EXPECT_EQ(h.core.m_hidDevice.m_isOpen, 1);
    h.DeliverDueEvents();  // the application's removal
    EXPECT_EQ(h.core.m_hidDevice.m_isOpen, 0);
    EXPECT_EQ(h.writer.OpenHandleCount(), 0);
    EXPECT_TRUE(h.writer.Anomalies().empty());
}

TEST(PresenceSim, NotificationsDuringATransactionWaitForItsEnd) {
    SimHarness h(StartIn(false));
    h.Start();
    {
        // As a job would hold the link; the writer leaves and comes back meanwhile.
        LinkTransaction guard(h.core);
        h.writer.Unplug();
        h.writer.PlugIn(SimMode::BootLoader);
        std::thread ui([&] { h.DeliverDueEvents(); });
        ui.join();
        EXPECT_EQ(h.view.LastPane(kPaneConnection), L"writer connect");
        EXPECT_EQ(h.core.m_deferredChanges.size(), 2u);
    }
    // The harness answers the device check at once, as the dialog would.
    EXPECT_EQ(h.view.LastPane(kPaneConnection), L"boot connect");
    EXPECT_TRUE(h.core.m_deferredChanges.empty());
}

}  // namespace
