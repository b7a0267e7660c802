// The boot-loader commands and EnterLdrom at the byte level, against a scripted
// HID interface: the exact command records (including the bytes a command leaves
// as they were), the data reports, the replies, the message boxes and the state
// of the link after each outcome.

#include "upgrade/BootLoaderCommands.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "app/VantrelCore.h"
#include "tests/support/RecordingView.h"
#include "tests/upgrade/ScriptedHidPlatform.h"

using namespace vantrel;
using vantrel::test::RecordingView;
using vantrel::test::ScriptedHidPlatform;
using vantrel::test::ViewEvent;

namespace {

using Bytes = std::vector<uint8_t>;

const wchar_t kCannotOpen[] = L"Can't Open HID Device\n";
const wchar_t kSendFailed[] = L"ERROR: Send read command error!\n";
const wchar_t kReadFailed[] = L"ERROR: Read fail!\n";

class BootLoaderCommandTest : public ::testing::Test {
protected:
    BootLoaderCommandTest() {
        // What an earlier command left in the record: every byte 0xEE.
        for (uint8_t& b : core.m_commandRecord) b = 0xEE;
    }

    // Data bytes `first` to `first + count - 1` of write `index` (after the report id).
    Bytes Sent(size_t index, size_t first, size_t count) const {
        const Bytes& report = platform.writes.at(index);
        return Bytes(report.begin() + 1 + first, report.begin() + 1 + first + count);
    }
    // True when bytes 12-63 of write `index` still hold the earlier command's 0xEE.
    bool TailUntouched(size_t index) const { return Sent(index, 12, 52) == Bytes(52, 0xEE); }
    bool LinkClosed() const { return platform.openHandles == 0 && core.m_hidDevice.m_isOpen == 0; }

    RecordingView view;
    VirtualClock clock;
    ScriptedHidPlatform platform;
    CVantrelCore core{view, clock, platform};
};

TEST_F(BootLoaderCommandTest, EraseSendsItsFieldsAndConfirmsOnReplyByteOneZero) {
    platform.replies.push_back(ScriptedHidPlatform::Reply({0x55, 0x00}));
    EXPECT_TRUE(core.EraseApromPage(0x200));
    ASSERT_EQ(platform.writes.size(), 1u);
    EXPECT_EQ(platform.writes[0][0], 0);  // report id
    EXPECT_EQ(Sent(0, 0, 12),
              (Bytes{0x05, 0x01, 0x01, 0x00, 0x01, 0x00, 0x02, 0x00, 0x00, 0x02, 0x00, 0x00}));
    EXPECT_TRUE(TailUntouched(0));
    EXPECT_TRUE(LinkClosed());
    EXPECT_TRUE(view.Events().empty());
}

TEST_F(BootLoaderCommandTest, EraseRefusalOrTooShortReplyIsFalseWithoutMessage) {
    platform.replies.push_back(ScriptedHidPlatform::Reply({0x00, 0x01}));
    EXPECT_FALSE(core.EraseApromPage(0));
    // A reply of a single data byte never carries the confirmation byte.
    platform.replies.push_back(Bytes{0x00, 0x00});
    EXPECT_FALSE(core.EraseApromPage(0));
    EXPECT_TRUE(LinkClosed());
    EXPECT_TRUE(view.Messages().empty());
}

TEST_F(BootLoaderCommandTest, ChecksumIsReadLeastSignificantByteFirst) {
    platform.replies.push_back(ScriptedHidPlatform::Reply({0x44, 0x33, 0x22, 0x11, 0x99}));
    uint32_t checksum = 0;
    ASSERT_TRUE(core.ReadApromChecksum(0x10E00, checksum));
    EXPECT_EQ(checksum, 0x11223344u);
    EXPECT_EQ(Sent(0, 0, 12),
              (Bytes{0x05, 0x04, 0x01, 0x00, 0x01, 0x00, 0x02, 0x00, 0x00, 0x0E, 0x01, 0x00}));
    EXPECT_TRUE(TailUntouched(0));
    EXPECT_TRUE(LinkClosed());
}

TEST_F(BootLoaderCommandTest, ChecksumBytesMissingFromAShortReplyReadAsZero) {
    platform.replies.push_back(Bytes{0x00, 0x44, 0x33});
    uint32_t checksum = 0xFFFFFFFF;
    ASSERT_TRUE(core.ReadApromChecksum(0, checksum));
    EXPECT_EQ(checksum, 0x3344u);
}

TEST_F(BootLoaderCommandTest, ResetKeepsThePageAddressOfTheCommandBefore) {
    platform.replies.push_back(ScriptedHidPlatform::Reply({1, 2, 3, 4}));
    uint32_t checksum = 0;
    ASSERT_TRUE(core.ReadApromChecksum(0x10E00, checksum));
    ASSERT_TRUE(core.SystemReset());
    ASSERT_EQ(platform.writes.size(), 2u);
    EXPECT_EQ(Sent(1, 0, 12),
              (Bytes{0x05, 0x01, 0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x0E, 0x01, 0x00}));
    EXPECT_TRUE(TailUntouched(1));
    EXPECT_EQ(platform.readAttempts, 1);  // the reset reads nothing
    EXPECT_TRUE(LinkClosed());
}

TEST_F(BootLoaderCommandTest, ProgramPausesThenSendsThePageInEightReports) {
    Bytes page(512);
    for (size_t i = 0; i < page.size(); ++i) page[i] = static_cast<uint8_t>(i * 7 + 3);
    size_t writesAtPause = 99;
    clock.SetSleepHook([&](uint32_t ms) {
        EXPECT_EQ(ms, 10u);
        writesAtPause = platform.writes.size();
    });
    ASSERT_TRUE(core.ProgramApromPage(0x10E00, page.data()));
    ASSERT_EQ(platform.writes.size(), 9u);
    EXPECT_EQ(writesAtPause, 1u);
    EXPECT_EQ(clock.SleptTotal(), 10u);
    EXPECT_EQ(Sent(0, 0, 12),
              (Bytes{0x05, 0x03, 0x01, 0x00, 0x01, 0x00, 0x02, 0x00, 0x00, 0x0E, 0x01, 0x00}));
    EXPECT_TRUE(TailUntouched(0));
    for (size_t r = 0; r < 8; ++r)
        EXPECT_EQ(Sent(1 + r, 0, 64), Bytes(page.begin() + 64 * r, page.begin() + 64 * (r + 1)))
            << "data report " << r;
    EXPECT_EQ(platform.readAttempts, 0);
    EXPECT_TRUE(LinkClosed());
}

TEST_F(BootLoaderCommandTest, ProgramFailingAtTheFifthDataReportStopsThere) {
    Bytes page(512, 0xA5);
    platform.refuseWrite = 5;  // record, data 1-4 accepted, data 5 refused
    EXPECT_FALSE(core.ProgramApromPage(0, page.data()));
    EXPECT_EQ(platform.writes.size(), 5u);
    EXPECT_EQ(platform.writeAttempts, 6);
    EXPECT_EQ(view.Messages(), (std::vector<std::wstring>{kSendFailed}));
    EXPECT_TRUE(LinkClosed());
}

TEST_F(BootLoaderCommandTest, EnterLdromUsesTheCommandFamilyAndLeavesTheLinkOpen) {
    platform.attributes.versionNumber = 0x0100;
    core.m_commandRecord[8] = 0x12;
    ASSERT_TRUE(core.EnterLdrom());
    EXPECT_EQ(Sent(0, 0, 12),
              (Bytes{0x02, 0x01, 0x0B, 0x00, 0x07, 0x00, 0x00, 0x00, 0x12, 0xEE, 0xEE, 0xEE}));
    EXPECT_TRUE(TailUntouched(0));
    EXPECT_EQ(platform.openHandles, 2);
    EXPECT_EQ(core.m_hidDevice.m_isOpen, 1);

    core.m_nCommandFamily = 3;
    EXPECT_EQ(RequestLdrom(core), LdromRequest::Sent);
    EXPECT_EQ(Sent(1, 0, 1), Bytes{0x03});
    EXPECT_EQ(platform.readAttempts, 0);
    EXPECT_TRUE(view.Events().empty());
}

TEST_F(BootLoaderCommandTest, EnterLdromFailuresTellWhichStepFailed) {
    // The writer runs its boot loader: the application identity does not match.
    EXPECT_EQ(RequestLdrom(core), LdromRequest::NotOpened);
    EXPECT_FALSE(core.EnterLdrom());
    EXPECT_TRUE(view.Messages().empty());
    EXPECT_TRUE(platform.writes.empty());

    platform.attributes.versionNumber = 0x0100;
    platform.refuseWrite = 0;
    EXPECT_EQ(RequestLdrom(core), LdromRequest::NotWritten);
    EXPECT_EQ(view.Messages(), (std::vector<std::wstring>{kSendFailed}));
    EXPECT_TRUE(LinkClosed());
}

TEST_F(BootLoaderCommandTest, BootLoaderCommandsDoNotOpenTheApplication) {
    platform.attributes.versionNumber = 0x0100;
    Bytes page(512);
    uint32_t checksum = 0x5A5A5A5A;
    EXPECT_FALSE(core.EraseApromPage(0));
    EXPECT_FALSE(core.ProgramApromPage(0, page.data()));
    EXPECT_FALSE(core.ReadApromChecksum(0, checksum));
    EXPECT_FALSE(core.SystemReset());
    EXPECT_EQ(checksum, 0x5A5A5A5Au);
    EXPECT_TRUE(platform.writes.empty());
    const ViewEvent box{ViewEvent::Message, 0, kCannotOpen, L"Message", kMbSystemModal};
    EXPECT_EQ(view.Events(), (std::vector<ViewEvent>(4, box)));
}

TEST_F(BootLoaderCommandTest, WriteAndReadFailuresShowTheirMessageAndCloseTheLink) {
    platform.refuseWrite = 0;
    EXPECT_FALSE(core.EraseApromPage(0));
    EXPECT_TRUE(LinkClosed());
    platform.refuseWrite = 1;
    EXPECT_FALSE(core.SystemReset());
    EXPECT_TRUE(LinkClosed());
    EXPECT_EQ(view.Messages(), (std::vector<std::wstring>{kSendFailed, kSendFailed}));

    // No reply: every one of the read's attempts times out.
    view.Clear();
    platform.refuseWrite = -1;
    uint32_t checksum = 0x5A5A5A5A;
    EXPECT_FALSE(core.EraseApromPage(0));
    EXPECT_FALSE(core.ReadApromChecksum(0, checksum));
    EXPECT_EQ(checksum, 0x5A5A5A5Au);
    EXPECT_EQ(view.Messages(), (std::vector<std::wstring>{kReadFailed, kReadFailed}));
    EXPECT_TRUE(LinkClosed());
}

// Whether another thread could take the link gate at this moment.
bool GateFreeForAnotherThread(CVantrelCore& core) {
    std::atomic<bool> taken{false};
    std::thread probe([&] {
        if (core.m_linkGate.try_lock()) {
            taken = true;
            core.m_linkGate.unlock();
        }
    });
    probe.join();
    return taken;
}

TEST_F(BootLoaderCommandTest, TransactionHoldsTheGateButItsMessageBoxDoesNot) {
    std::vector<bool> freeDuringWrite;
    platform.onWrite = [&] { freeDuringWrite.push_back(GateFreeForAnotherThread(core)); };
    bool freeDuringBox = false;
    view.onMessage = [&](const std::wstring&) { freeDuringBox = GateFreeForAnotherThread(core); };
    EXPECT_FALSE(core.EraseApromPage(0));  // no reply: message 3
    EXPECT_EQ(freeDuringWrite, std::vector<bool>{false});
    EXPECT_TRUE(freeDuringBox);
}

}  // namespace
