// CHidDevice over the scripted platform, in virtual time.

#include "link/HidDevice.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/Clock.h"
#include "tests/support/FakeHidPlatform.h"

using namespace vantrel;
using vantrel::test::FakeHidPlatform;
using vantrel::test::FakeInterface;
using vantrel::test::FakeIo;

namespace {

const std::wstring kMouse = L"\\\\?\\hid#vid_046d&pid_c077#7&1&0000#{4d1e55b2}";
const std::wstring kWriterA = L"\\\\?\\hid#vid_0416&pid_5020#8&aaa&0000#{4d1e55b2}";
const std::wstring kWriterB = L"\\\\?\\hid#vid_0416&pid_5020#8&bbb&0000#{4d1e55b2}";

FakeInterface Writer(const std::wstring& path, uint16_t version = 0x0100) {
    return FakeInterface{path, HidAttributes{0x0416, 0x5020, version}};
}

std::vector<uint8_t> Report(size_t size, uint8_t first) {
    std::vector<uint8_t> report(size);
    for (size_t i = 0; i < size; ++i) report[i] = static_cast<uint8_t>(first + i);
    report[0] = 0;  // report id
    return report;
}

class HidDeviceTest : public ::testing::Test {
protected:
    VirtualClock clock{0};
    FakeHidPlatform platform{clock};
    CHidDevice link{platform};

    void OpenWriter() {
        platform.AddInterface(Writer(kWriterA));
        ASSERT_TRUE(link.Open(0x0416, 0x5020, 0x0100));
    }
};

TEST_F(HidDeviceTest, NothingPresentFailsAndKeepsThePath) {
    link.m_devicePath = L"previous";
    EXPECT_FALSE(link.Open(0x0416, 0x5020, 0x0100));
    EXPECT_EQ(link.m_devicePath, L"previous");
    EXPECT_EQ(link.m_isOpen, 0);
    EXPECT_EQ(link.m_readHandle, kInvalidHidHandle);
    EXPECT_EQ(link.m_writeHandle, kInvalidHidHandle);

    platform.AddInterface(FakeInterface{kMouse, HidAttributes{0x046d, 0xc077, 0x0100}});
    platform.AddInterface(FakeInterface{L"unreadable", {}, true});
    EXPECT_FALSE(link.Open(0x0416, 0x5020, 0x0100));
    EXPECT_EQ(link.m_devicePath, L"unreadable");  // the last one examined
    EXPECT_EQ(platform.OpenHandleCount(), 0);
}

TEST_F(HidDeviceTest, FirstOfTwoMatchingInterfacesWins) {
    platform.AddInterface(FakeInterface{kMouse, HidAttributes{0x046d, 0xc077, 0x0100}});
    platform.AddInterface(Writer(kWriterA));
    platform.AddInterface(Writer(kWriterB));
    ASSERT_TRUE(link.Open(0x0416, 0x5020, 0x0100));
    EXPECT_EQ(link.m_isOpen, 1);
    EXPECT_EQ(link.m_devicePath, kWriterA);
    EXPECT_EQ(platform.OpenPaths(), (std::vector<std::wstring>{kWriterA, kWriterA}));
}

TEST_F(HidDeviceTest, VersionNumberSelectsTheMode) {
    platform.AddInterface(Writer(kWriterA, 0x8888));
    EXPECT_FALSE(link.Open(0x0416, 0x5020, 0x0100));
    EXPECT_TRUE(link.Open(0x0416, 0x5020, 0x8888));
    link.Close();
    platform.ClearInterfaces();
    platform.AddInterface(Writer(kWriterA, 0x0100));
    EXPECT_FALSE(link.Open(0x0416, 0x5020, 0x8888));
    // The 32-bit arguments are compared whole with the 16-bit attributes.
    EXPECT_FALSE(link.Open(0x10416, 0x5020, 0x0100));
    EXPECT_TRUE(link.Open(0x0416, 0x5020, 0x0100));
}

TEST_F(HidDeviceTest, MatchThatCannotBeOpenedEndsTheSearchHalfOpen) {
    FakeInterface broken = Writer(kWriterA);
    broken.writeOpenFails = true;
    platform.AddInterface(broken);
    platform.AddInterface(Writer(kWriterB));
    EXPECT_FALSE(link.Open(0x0416, 0x5020, 0x0100));
    EXPECT_EQ(link.m_devicePath, kWriterA);  // the second writer was not looked at
    EXPECT_EQ(link.m_isOpen, 0);
    EXPECT_NE(link.m_readHandle, kInvalidHidHandle);
    EXPECT_EQ(link.m_writeHandle, kInvalidHidHandle);
    link.Close();
    EXPECT_EQ(link.m_readHandle, kInvalidHidHandle);
    EXPECT_EQ(platform.OpenHandleCount(), 0);
    link.Close();  // twice is harmless
    EXPECT_TRUE(platform.Anomalies().empty());
}

TEST_F(HidDeviceTest, OpenReleasesHandlesStillHeld) {
    OpenWriter();
    ASSERT_TRUE(link.Open(0x0416, 0x5020, 0x0100));
    EXPECT_EQ(platform.OpenHandleCount(), 2);
    EXPECT_FALSE(link.Open(0x0416, 0x5020, 0x8888));
    EXPECT_EQ(platform.OpenHandleCount(), 0);
    EXPECT_TRUE(platform.Anomalies().empty());
}

TEST_F(HidDeviceTest, FailedEnumerationFails) {
    platform.AddInterface(Writer(kWriterA));
    platform.SetEnumerationFails(true);
    EXPECT_FALSE(link.Open(0x0416, 0x5020, 0x0100));
    EXPECT_EQ(link.m_isOpen, 0);
}

TEST_F(HidDeviceTest, DestructionClosesOpenHandles) {
    platform.AddInterface(Writer(kWriterA));
    {
        CHidDevice scoped(platform);
        ASSERT_TRUE(scoped.Open(0x0416, 0x5020, 0x0100));
    }
    EXPECT_EQ(platform.OpenHandleCount(), 0);
}

TEST_F(HidDeviceTest, WriteSendsReportIdZeroAndSixtyFourBytes) {
    OpenWriter();
    uint8_t data[64];
    for (int i = 0; i < 64; ++i) data[i] = static_cast<uint8_t>(0xA0 + i);
    uint32_t written = 99;
    ASSERT_TRUE(link.WriteReport(data, written));
    EXPECT_EQ(written, 64u);
    ASSERT_EQ(platform.Written().size(), 1u);
    std::vector<uint8_t> expected(1, 0);
    expected.insert(expected.end(), data, data + 64);
    EXPECT_EQ(platform.Written()[0], expected);
}

TEST_F(HidDeviceTest, WriteWithoutDataSendsNothing) {
    OpenWriter();
    uint32_t written = 7;
    EXPECT_FALSE(link.WriteReport(nullptr, written));
    EXPECT_EQ(platform.WriteCalls(), 0);
}

TEST_F(HidDeviceTest, WriteFailuresAreReportedAsFailures) {
    OpenWriter();
    uint8_t data[64] = {};
    uint32_t written = 0;
    platform.QueueWrite(FakeIo{HidIo::Refused, {}, -1});
    EXPECT_FALSE(link.WriteReport(data, written));
    EXPECT_EQ(clock.Now(), 0u);

    platform.QueueWrite(FakeIo{HidIo::TimedOut, {}, -1});
    EXPECT_FALSE(link.WriteReport(data, written));
    EXPECT_EQ(clock.Now(), 4000u);  // one wait, no retry

    // A request that completed with an error did not write the report.
    platform.QueueWrite(FakeIo{HidIo::CompletedWithError, {}, 0});
    EXPECT_FALSE(link.WriteReport(data, written));
    platform.QueueWrite(FakeIo{HidIo::Cancelled, {}, -1});
    EXPECT_FALSE(link.WriteReport(data, written));
    EXPECT_EQ(platform.WriteCalls(), 4);
}

TEST_F(HidDeviceTest, FullReportGivesSixtyFourBytesAndAShortOneNMinusOne) {
    OpenWriter();
    platform.QueueReport(Report(65, 0x10));
    uint8_t data[64] = {};
    uint32_t received = 0;
    ASSERT_TRUE(link.ReadReport(data, received));
    EXPECT_EQ(received, 64u);
    EXPECT_EQ(data[0], 0x11);
    EXPECT_EQ(data[63], 0x10 + 64);

    uint8_t shortData[64];
    std::fill(std::begin(shortData), std::end(shortData), 0xEE);
    platform.QueueReport(Report(9, 0x40));
    ASSERT_TRUE(link.ReadReport(shortData, received));
    EXPECT_EQ(received, 8u);
    EXPECT_EQ(shortData[0], 0x41);
    EXPECT_EQ(shortData[7], 0x48);
    EXPECT_EQ(shortData[8], 0xEE);  // nothing beyond the report is touched
}

TEST_F(HidDeviceTest, SilentDeviceFailsAfterTenWaitsOfFourSeconds) {
    OpenWriter();
    uint8_t data[64];
    uint32_t received = 5;
    EXPECT_FALSE(link.ReadReport(data, received));
    EXPECT_EQ(received, 0u);
    EXPECT_EQ(platform.ReadCalls(), 10);
    EXPECT_EQ(clock.SleptTotal(), 40000u);
}

TEST_F(HidDeviceTest, RefusedReadsAreRetriedAtOnceTenTimes) {
    OpenWriter();
    platform.SetIdleRead(HidIo::Refused);
    uint8_t data[64];
    uint32_t received = 0;
    EXPECT_FALSE(link.ReadReport(data, received));
    EXPECT_EQ(platform.ReadCalls(), 10);
    EXPECT_EQ(clock.Now(), 0u);
}

TEST_F(HidDeviceTest, LateReportAfterTimeOutsIsStillDelivered) {
    OpenWriter();
    for (int i = 0; i < 9; ++i) platform.QueueRead(FakeIo{HidIo::TimedOut, {}, -1});
    platform.QueueReport(Report(65, 0x00));
    uint8_t data[64];
    uint32_t received = 0;
    EXPECT_TRUE(link.ReadReport(data, received));
    EXPECT_EQ(clock.SleptTotal(), 36000u);
}

TEST_F(HidDeviceTest, EmptyOversizedOrFailedCompletionEndsTheReadAtOnce) {
    OpenWriter();
    uint8_t data[64];
    uint32_t received = 0;
    platform.QueueRead(FakeIo{HidIo::Completed, {}, 0});
    EXPECT_FALSE(link.ReadReport(data, received));
    EXPECT_EQ(platform.ReadCalls(), 1);

    platform.QueueRead(FakeIo{HidIo::Completed, Report(65, 0), 66});
    EXPECT_FALSE(link.ReadReport(data, received));
    EXPECT_EQ(platform.ReadCalls(), 2);

    platform.QueueRead(FakeIo{HidIo::CompletedWithError, {}, 0});
    EXPECT_FALSE(link.ReadReport(data, received));
    EXPECT_EQ(platform.ReadCalls(), 3);
    EXPECT_EQ(clock.Now(), 0u);
}

TEST_F(HidDeviceTest, TransfersOnAClosedLinkFailWithoutWaiting) {
    uint8_t data[64] = {};
    uint32_t count = 0;
    EXPECT_FALSE(link.WriteReport(data, count));
    EXPECT_FALSE(link.ReadReport(data, count));
    EXPECT_EQ(clock.Now(), 0u);
}

}  // namespace
