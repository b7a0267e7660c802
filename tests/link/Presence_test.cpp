// Presence tracking and QueryBootLoader over the scripted platform, in virtual time.

#include <gtest/gtest.h>

#include <future>
#include <thread>
#include <vector>

#include "app/VantrelCore.h"
#include "tests/support/FakeHidPlatform.h"
#include "tests/support/RecordingView.h"

using namespace vantrel;
using vantrel::test::FakeHidPlatform;
using vantrel::test::FakeInterface;
using vantrel::test::FakeIo;
using vantrel::test::RecordingView;

namespace {

const std::wstring kAppPath = L"\\\\?\\hid#vid_0416&pid_5020#8&1a2b&0&0000#{4d1e55b2-f16f}";
const std::wstring kBootPath = L"\\\\?\\hid#vid_0416&pid_5020#8&3c4d&0&0000#{4d1e55b2-f16f}";
const std::wstring kMousePath = L"\\\\?\\hid#vid_046d&pid_c077#7&0&0000#{4d1e55b2-f16f}";

class PresenceTest : public ::testing::Test {
protected:
    VirtualClock clock{0};
    FakeHidPlatform platform{clock};
    RecordingView view;
    CVantrelCore core{view, clock, platform};
    // Byte 0 of the boot loader's answer to QueryBootLoader; -1: it never answers.
    int bootAnswer = 1;
    int queries = 0;

    void SetUp() override {
        platform.AddInterface(FakeInterface{kMousePath, HidAttributes{0x046d, 0xc077, 0x0100}});
        platform.SetResponder([this](const std::wstring&, const std::vector<uint8_t>& report) {
            if (report.size() == 65 && report[1] == 0x05 && report[2] == 0x05) {
                ++queries;
                if (bootAnswer >= 0) {
                    std::vector<uint8_t> answer(65, 0);
                    answer[1] = static_cast<uint8_t>(bootAnswer);
                    platform.QueueReport(answer);
                }
            }
        });
    }

    void PlugApplication() {
        platform.AddInterface(FakeInterface{kAppPath, HidAttributes{0x0416, 0x5020, 0x0100}});
    }
    void PlugBootLoader() {
        platform.AddInterface(FakeInterface{kBootPath, HidAttributes{0x0416, 0x5020, 0x8888}});
    }
    void Arrive(const std::wstring& name) {
        DeviceBroadcast header{kDbtDevtypDeviceInterface, name};
        EXPECT_EQ(core.OnDeviceChange(kDbtDeviceArrival, &header), TRUE);
    }
    void Remove(const std::wstring& name) {
        DeviceBroadcast header{kDbtDevtypDeviceInterface, name};
        EXPECT_EQ(core.OnDeviceChange(kDbtDeviceRemoveComplete, &header), TRUE);
    }
    void ExpectState(const wchar_t* pane, BOOL connected, BOOL present) {
        EXPECT_EQ(view.LastPane(kPaneConnection), pane);
        EXPECT_EQ(core.m_bWriterConnected, connected);
        EXPECT_EQ(core.m_bDevicePresent, present);
    }
};

TEST_F(PresenceTest, StartWithoutWriter) {
    core.DetectWriterAtStartup();
    ExpectState(L"writer unconnect", FALSE, FALSE);
    EXPECT_EQ(core.m_bBootMode, FALSE);
    EXPECT_TRUE(view.Messages().empty());
}

TEST_F(PresenceTest, StartWithApplicationLeavesTheLinkClosed) {
    PlugApplication();
    core.DetectWriterAtStartup();
    ExpectState(L"writer connect", TRUE, TRUE);
    EXPECT_EQ(platform.OpenHandleCount(), 0);
    EXPECT_EQ(core.m_hidDevice.m_devicePath, kAppPath);
    EXPECT_EQ(queries, 0);
}

TEST_F(PresenceTest, StartWithBootLoaderConfirmsItByQuery) {
    PlugBootLoader();
    core.m_bAwaitingBootLoader = TRUE;
    core.DetectWriterAtStartup();
    ExpectState(L"boot connect", FALSE, TRUE);
    EXPECT_EQ(queries, 1);
    EXPECT_NE(core.m_bBootMode, FALSE);
    EXPECT_EQ(core.m_bAwaitingBootLoader, FALSE);
    EXPECT_EQ(platform.OpenHandleCount(), 0);
    EXPECT_TRUE(platform.Anomalies().empty());
    EXPECT_EQ(view.PaneTexts(kPaneConnection), std::vector<std::wstring>{L"boot connect"});
}

TEST_F(PresenceTest, BootLoaderThatDoesNotAnswerIsUnconnected) {
    PlugBootLoader();
    bootAnswer = -1;
    core.m_bAwaitingBootLoader = TRUE;
    core.DetectWriter();
    ExpectState(L"writer unconnect", FALSE, FALSE);
    EXPECT_EQ(view.Messages(), std::vector<std::wstring>{L"ERROR: Read fail!\n"});
    EXPECT_EQ(view.Events()[0].caption, L"Message");
    EXPECT_EQ(view.Events()[0].style, kMbSystemModal);
    EXPECT_EQ(clock.SleptTotal(), 40000u);
    EXPECT_EQ(core.m_bAwaitingBootLoader, TRUE);  // only an answer clears it
    EXPECT_EQ(platform.OpenHandleCount(), 0);
}

TEST_F(PresenceTest, BootLoaderAnsweringZeroIsUnconnected) {
    PlugBootLoader();
    bootAnswer = 0;
    core.DetectWriter();
    ExpectState(L"writer unconnect", FALSE, FALSE);
    EXPECT_EQ(core.m_bBootMode, FALSE);
    EXPECT_TRUE(view.Messages().empty());
}

TEST_F(PresenceTest, UnknownVersionNumberIsUnconnectedWithoutQuery) {
    platform.AddInterface(FakeInterface{kAppPath, HidAttributes{0x0416, 0x5020, 0x0200}});
    core.DetectWriter();
    ExpectState(L"writer unconnect", FALSE, FALSE);
    EXPECT_EQ(queries, 0);
    EXPECT_TRUE(view.Messages().empty());
}

TEST_F(PresenceTest, ArrivalIsRecognisedInEitherCase) {
    core.DetectWriter();
    PlugApplication();
    Arrive(L"\\\\?\\HID#VID_0416&PID_5020#8&1a2b&0&0000#{4d1e55b2-f16f}");
    ExpectState(L"writer connect", TRUE, TRUE);
    platform.ClearInterfaces();
    PlugBootLoader();
    Arrive(kBootPath);  // lower case vid_0416&pid_5020
    ExpectState(L"boot connect", FALSE, TRUE);
}

TEST_F(PresenceTest, ArrivalsOfOtherDevicesOrShortNamesAreIgnored) {
    PlugApplication();
    Arrive(kMousePath);
    Arrive(L"VID_04");                   // shorter than 7 characters
    Arrive(L"VID_0416&PID_5020#x");      // the identity only at the start
    Arrive(L"abcdefVID_0416&PID_5020");  // starts at character 6: still not searched
    EXPECT_TRUE(view.PaneTexts(kPaneConnection).empty());
    EXPECT_EQ(platform.EnumerationCount(), 0);
    Arrive(L"abcdefgVID_0416&PID_5020");  // character 7: searched
    ExpectState(L"writer connect", TRUE, TRUE);

    // Other events and other device types change nothing.
    DeviceBroadcast port{3, kAppPath};
    EXPECT_EQ(core.OnDeviceChange(kDbtDeviceArrival, &port), TRUE);
    DeviceBroadcast header{kDbtDevtypDeviceInterface, kAppPath};
    EXPECT_EQ(core.OnDeviceChange(0x0007, &header), TRUE);
    EXPECT_EQ(core.OnDeviceChange(kDbtDeviceArrival, nullptr), TRUE);
    EXPECT_EQ(view.PaneTexts(kPaneConnection).size(), 1u);
}

TEST_F(PresenceTest, RemovalMustNameTheWriterIgnoringCase) {
    PlugApplication();
    Arrive(kAppPath);
    Remove(kMousePath);
    Remove(kAppPath + L"x");
    ExpectState(L"writer connect", TRUE, TRUE);
    Remove(L"\\\\?\\HID#VID_0416&PID_5020#8&1A2B&0&0000#{4D1E55B2-F16F}");
    ExpectState(L"writer unconnect", FALSE, FALSE);
    // Again while already unconnected: the same text and flags once more.
    Remove(kAppPath);
    EXPECT_EQ(
        view.PaneTexts(kPaneConnection),
        (std::vector<std::wstring>{L"writer connect", L"writer unconnect", L"writer unconnect"}));
}

TEST_F(PresenceTest, RemovalClosesALinkLeftOpen) {
    PlugApplication();
    ASSERT_TRUE(core.m_hidDevice.Open(0x0416, 0x5020, 0x0100));  // as EnterLdrom leaves it
    Remove(kAppPath);
    EXPECT_EQ(platform.OpenHandleCount(), 0);
    EXPECT_EQ(core.m_hidDevice.m_isOpen, 0);
}

TEST_F(PresenceTest, BootModeDoesNotOutliveTheBootLoader) {
    PlugBootLoader();
    core.DetectWriter();
    ASSERT_NE(core.m_bBootMode, FALSE);
    // Back in its application without a removal in between (a missed notice).
    platform.ClearInterfaces();
    PlugApplication();
    Arrive(kAppPath);
    EXPECT_EQ(core.m_bBootMode, FALSE);

    platform.ClearInterfaces();
    PlugBootLoader();
    Arrive(kBootPath);
    ASSERT_NE(core.m_bBootMode, FALSE);
    Remove(kBootPath);
    EXPECT_EQ(core.m_bBootMode, FALSE);
}

TEST_F(PresenceTest, QueryBootLoaderSetsOnlyTheFirstEightBytes) {
    PlugBootLoader();
    for (int i = 0; i < 64; ++i) core.m_commandRecord[i] = static_cast<uint8_t>(0xC0 + i);
    core.m_commandRecord[8] = 0x00;  // as left by a checksum read of page 0x10E00
    core.m_commandRecord[9] = 0x0E;
    core.m_commandRecord[10] = 0x01;
    core.m_commandRecord[11] = 0x00;
    bootAnswer = 0x5A;
    EXPECT_EQ(core.QueryBootLoader(), 0x5A);
    ASSERT_EQ(platform.Written().size(), 1u);
    const std::vector<uint8_t> sent = platform.Written()[0];
    const std::vector<uint8_t> head{0x00, 0x05, 0x05, 0x00, 0x00, 0x00, 0x00,
                                    0x01, 0x00, 0x00, 0x0E, 0x01, 0x00};
    EXPECT_EQ(std::vector<uint8_t>(sent.begin(), sent.begin() + 13), head);
    for (int i = 12; i < 64; ++i) EXPECT_EQ(sent[1 + i], 0xC0 + i) << i;
    EXPECT_EQ(core.m_hidDevice.m_isOpen, 1);  // left open on success
    EXPECT_EQ(platform.OpenPaths(), (std::vector<std::wstring>{kBootPath, kBootPath}));
}

TEST_F(PresenceTest, QueryBootLoaderFailuresShowTheirMessageAndClose) {
    PlugApplication();
    EXPECT_EQ(core.QueryBootLoader(), 0);  // the application does not open as boot loader
    PlugBootLoader();
    platform.QueueWrite(FakeIo{HidIo::TimedOut, {}, -1});
    EXPECT_EQ(core.QueryBootLoader(), 0);
    EXPECT_EQ(platform.OpenHandleCount(), 0);
    // An answer whose byte 0 is lost because the report is empty counts as a failed read.
    platform.QueueRead(FakeIo{HidIo::Completed, {}, 0});
    bootAnswer = -1;
    EXPECT_EQ(core.QueryBootLoader(), 0);
    EXPECT_EQ(view.Messages(), (std::vector<std::wstring>{L"Can't Open HID Device\n",
                                                          L"ERROR: Send read command error!\n",
                                                          L"ERROR: Read fail!\n"}));
    EXPECT_EQ(platform.OpenHandleCount(), 0);
}

TEST_F(PresenceTest, NotificationDuringAMessageBoxIsHandledAfterwards) {
    PlugBootLoader();
    bootAnswer = -1;
    // While the "Read fail" box is open the writer comes back as its application.
    view.onMessage = [&](const std::wstring&) {
        platform.ClearInterfaces();
        PlugApplication();
        Remove(kBootPath);
        Arrive(kAppPath);
    };
    core.DetectWriter();
    EXPECT_EQ(
        view.PaneTexts(kPaneConnection),
        (std::vector<std::wstring>{L"writer unconnect", L"writer unconnect", L"writer connect"}));
    ExpectState(L"writer connect", TRUE, TRUE);
    EXPECT_TRUE(core.m_deferredChanges.empty());
}

// A job transaction holds the gate on another thread: the notifications wait,
// the caller does not, and they are replayed in order once the transaction ends.
TEST_F(PresenceTest, NotificationsDuringATransactionAreDeferredAndReplayed) {
    PlugApplication();
    core.DetectWriter();
    std::promise<void> held, release;
    std::thread worker([&] {
        LinkTransaction guard(core);
        held.set_value();
        release.get_future().wait();
    });
    held.get_future().wait();

    platform.ClearInterfaces();
    PlugBootLoader();
    Remove(kAppPath);
    Arrive(kBootPath);
    ExpectState(L"writer connect", TRUE, TRUE);  // nothing handled yet
    EXPECT_EQ(core.m_deferredChanges.size(), 2u);
    EXPECT_EQ(core.m_bDeviceCheckPending, TRUE);

    release.set_value();
    worker.join();
    EXPECT_EQ(view.DeviceCheckRequests(), 1);
    core.ProcessDeferredDeviceChanges();
    EXPECT_EQ(view.PaneTexts(kPaneConnection),
              (std::vector<std::wstring>{L"writer connect", L"writer unconnect", L"boot connect"}));
    EXPECT_EQ(core.m_bDeviceCheckPending, FALSE);
    EXPECT_TRUE(core.m_deferredChanges.empty());
}

// A job's message box inside its transaction runs a nested message loop on the
// worker's own thread: a notification delivered there waits for the transaction.
TEST_F(PresenceTest, NotificationOnTheThreadOfATransactionWaitsForItsEnd) {
    PlugApplication();
    core.DetectWriter();
    view.onDeviceCheck = [&] { core.ProcessDeferredDeviceChanges(); };
    {
        LinkTransaction guard(core);
        Remove(kAppPath);
        EXPECT_EQ(view.LastPane(kPaneConnection), L"writer connect");
        EXPECT_EQ(core.m_bDeviceCheckPending, TRUE);
    }
    EXPECT_EQ(view.DeviceCheckRequests(), 1);
    ExpectState(L"writer unconnect", FALSE, FALSE);
    EXPECT_TRUE(core.m_deferredChanges.empty());
}

}  // namespace
