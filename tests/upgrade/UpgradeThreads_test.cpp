// A complete upgrade with the two threads of the dialog: the worker runs the job
// while presence tracking runs on a thread of its own, as the user-interface
// thread does, taking the writer's device events and the deferred checks the
// job's transactions ask for. Meant to be run under the thread sanitizer too.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "tests/support/SimHarness.h"
#include "tests/support/TempDir.h"
#include "tests/upgrade/UpgradeScenario.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

// The user-interface thread's part: device notifications and replays of the ones
// deferred while a job transaction held the link. While the job runs, only the
// worker's own tick-count reads and pauses move time, so this thread can never
// push the job's 10,000 ms wait over its limit by being scheduled more often than
// the worker. Once the job has ended, time moves on here, so that the writer's
// return as its application comes due.
class PresenceThread {
public:
    explicit PresenceThread(SimHarness& h) : m_h(h) {
        // Every tick-count read moves the virtual clock on by a millisecond, so a
        // worker polling flat out could run through its 10,000 ms before this thread
        // has handled the arrival that is due. The worker's pump therefore lets
        // notifications that are due, or being handled, finish first, as a real
        // message pump effectively does in real time.
        m_h.view.onPump = [this] {
            while (m_busy || m_checkRequested || m_h.writer.NextEventDueIn() == 0u)
                std::this_thread::yield();
        };
        m_h.view.onMessage = nullptr;
        m_h.view.onDeviceCheck = [this] { m_checkRequested = true; };
        m_thread = std::thread([this] { Loop(); });
    }
    ~PresenceThread() { Stop(); }

    void Stop() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
        m_h.view.onPump = nullptr;
    }
    int Notifications() const { return m_notifications; }
    void LetTimeRun() { m_timeRuns = true; }

private:
    void Loop() {
        while (!m_stop) {
            m_busy = true;
            auto events = m_h.writer.TakeDueEvents();
            for (const DeviceChange& event : events) {
                m_h.core.OnDeviceChange(event.eventType, &event.broadcast);
                ++m_notifications;
            }
            if (m_checkRequested.exchange(false)) m_h.core.ProcessDeferredDeviceChanges();
            m_busy = false;
            if (events.empty()) {
                if (m_timeRuns) m_h.clock.Advance(1);
                std::this_thread::sleep_for(std::chrono::microseconds(50));
            }
        }
    }

    SimHarness& m_h;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_busy{false};
    std::atomic<bool> m_checkRequested{false};
    std::atomic<bool> m_timeRuns{false};
    std::atomic<int> m_notifications{0};
    std::thread m_thread;
};

TEST(UpgradeThreadsTest, CompleteUpgradeOnTheWorkerWithPresenceTrackingOnItsOwnThread) {
    TempDir dir;
    const std::vector<uint8_t> image = SampleFirmwareImage();
    SimHarness h;
    h.Start();
    ASSERT_TRUE(h.core.m_bWriterConnected);
    h.core.SetFilePath(WriteFirmwareFile(dir, image));

    PresenceThread presence(h);
    ASSERT_TRUE(h.core.StartWorker());
    h.core.PostJob(UpgradeFirmware);
    // Quit is queued behind the job, so this returns once the job has ended.
    ASSERT_TRUE(h.core.StopWorker(600000));
    presence.LetTimeRun();

    // The writer comes back as its application; presence tracking reports it.
    const bool succeeded = h.view.LastPane(kPaneError) == L"系统复位完成!";
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (succeeded && h.view.LastPane(kPaneConnection) != L"writer connect" &&
           std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    presence.Stop();

    EXPECT_EQ(h.view.LastPane(kPaneError), L"系统复位完成!");
    EXPECT_EQ(h.view.PaneTexts(kPaneConnection),
              (std::vector<std::wstring>{L"writer connect", L"writer unconnect", L"boot connect",
                                         L"writer unconnect", L"writer connect"}));
    EXPECT_EQ(h.view.Messages(), std::vector<std::wstring>{L"固件更新，不要断开usb连接！"});
    EXPECT_EQ(h.view.ProgressPositions(), CompleteRunProgress());
    EXPECT_EQ(h.writer.Aprom(), image);
    EXPECT_TRUE(h.writer.Anomalies().empty());
    EXPECT_FALSE(h.core.m_bBootMode);
    EXPECT_TRUE(h.core.m_bWriterConnected);
    EXPECT_TRUE(h.core.m_deferredChanges.empty());
    EXPECT_EQ(presence.Notifications(), 4);
}

}  // namespace
