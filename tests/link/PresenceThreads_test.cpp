// Presence tracking on one thread while job transactions run on another. Run it in
// the thread-sanitizer build: every use of the link is ordered by the link gate.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "app/VantrelCore.h"
#include "tests/support/FakeHidPlatform.h"
#include "tests/support/RecordingView.h"

using namespace vantrel;
using vantrel::test::FakeHidPlatform;
using vantrel::test::FakeInterface;
using vantrel::test::RecordingView;

namespace {

const std::wstring kAppPath = L"\\\\?\\hid#vid_0416&pid_5020#8&1a2b&0&0000#{4d1e55b2-f16f}";

class PresenceThreadsTest : public ::testing::Test {
protected:
    VirtualClock clock{0};
    FakeHidPlatform platform{clock};
    RecordingView view;
    CVantrelCore core{view, clock, platform};
    std::atomic<int> checkRequests{0};

    void SetUp() override {
        platform.AddInterface(FakeInterface{kAppPath, HidAttributes{0x0416, 0x5020, 0x0100}});
        // The application answers every report it gets with one report.
        platform.SetResponder([this](const std::wstring&, const std::vector<uint8_t>&) {
            platform.QueueReport(std::vector<uint8_t>(65, 0x80));
        });
        view.onDeviceCheck = [this] { ++checkRequests; };
        core.DetectWriter();
    }

    // One job transaction as the command channel runs it.
    bool Transaction() {
        LinkTransaction guard(core);
        uint8_t record[64] = {0x02, 0x01};
        uint8_t reply[64];
        uint32_t count = 0;
        bool ok = core.m_hidDevice.Open(0x0416, 0x5020, 0x0100) &&
                  core.m_hidDevice.WriteReport(record, count) &&
                  core.m_hidDevice.ReadReport(reply, count);
        core.m_hidDevice.Close();
        return ok;
    }

    void Notify(uint32_t eventType) {
        DeviceBroadcast header{kDbtDevtypDeviceInterface, kAppPath};
        core.OnDeviceChange(eventType, &header);
    }

    // What the user-interface thread does when the view is asked for a device check.
    void ServeCheckRequests(int& served) {
        while (served < checkRequests.load()) {
            ++served;
            core.ProcessDeferredDeviceChanges();
        }
    }
};

// In every round the worker holds the gate until the user-interface thread has
// delivered its notifications: if presence tracking waited for the gate, the
// round could never end.
TEST_F(PresenceThreadsTest, UserInterfaceNeverWaitsForATransaction) {
    constexpr int kRounds = 40;
    std::atomic<int> held{0}, delivered{0};
    std::atomic<bool> stuck{false};
    std::thread worker([&] {
        for (int round = 1; round <= kRounds; ++round) {
            LinkTransaction guard(core);
            held = round;
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (delivered.load() < round) {
                if (std::chrono::steady_clock::now() > deadline) {
                    stuck = true;
                    return;
                }
                std::this_thread::yield();
            }
        }
    });
    int served = 0;
    for (int round = 1; round <= kRounds && !stuck; ++round) {
        while (held.load() < round && !stuck) std::this_thread::yield();
        Notify(kDbtDeviceRemoveComplete);
        Notify(kDbtDeviceArrival);
        delivered = round;
        ServeCheckRequests(served);
    }
    worker.join();
    ASSERT_FALSE(stuck);
    ServeCheckRequests(served);
    core.ProcessDeferredDeviceChanges();  // a request may still be on its way

    EXPECT_TRUE(core.m_deferredChanges.empty());
    const std::vector<std::wstring> texts = view.PaneTexts(kPaneConnection);
    ASSERT_EQ(texts.size(), 1u + 2 * kRounds);  // start-up, then each pair, in order
    for (int i = 1; i < static_cast<int>(texts.size()); i += 2) {
        EXPECT_EQ(texts[i], L"writer unconnect");
        EXPECT_EQ(texts[i + 1], L"writer connect");
    }
    EXPECT_EQ(core.m_bWriterConnected, TRUE);
    EXPECT_EQ(platform.OpenHandleCount(), 0);
    EXPECT_TRUE(platform.Anomalies().empty());
}

TEST_F(PresenceThreadsTest, FreeRunningTransactionsAndNotificationsDoNotRace) {
    constexpr int kTransactions = 300;
    std::atomic<int> failed{0};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < kTransactions; ++i)
            if (!Transaction()) ++failed;
        done = true;
    });
    int served = 0;
    while (!done.load()) {
        Notify(kDbtDeviceRemoveComplete);
        Notify(kDbtDeviceArrival);
        ServeCheckRequests(served);
    }
    worker.join();
    ServeCheckRequests(served);
    core.ProcessDeferredDeviceChanges();

    EXPECT_EQ(failed.load(), 0);
    EXPECT_TRUE(core.m_deferredChanges.empty());
    EXPECT_EQ(view.LastPane(kPaneConnection), L"writer connect");
    EXPECT_EQ(platform.OpenHandleCount(), 0);
    EXPECT_TRUE(platform.Anomalies().empty());
}

}  // namespace
