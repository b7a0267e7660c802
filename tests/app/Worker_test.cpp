// The worker loop and the two button handlers, in virtual time.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/VantrelCore.h"
#include "link/NullHidPlatform.h"
#include "tests/support/RecordingView.h"

using namespace vantrel;
using vantrel::NullHidPlatform;
using vantrel::test::RecordingView;

namespace {

// A core whose jobs only record that they ran, and with which path.
class RecordingCore : public CVantrelCore {
public:
    using CVantrelCore::CVantrelCore;
    bool RunConfigurationJob() override {
        log.push_back(L"configure");
        if (duringJob) duringJob();
        return true;
    }
    bool RunFirmwareUpgrade(const std::wstring& path) override {
        log.push_back(L"upgrade " + path);
        if (duringJob) duringJob();
        return true;
    }
    std::vector<std::wstring> log;
    std::function<void()> duringJob;
};

class WorkerTest : public ::testing::Test {
protected:
    RecordingView view;
    VirtualClock clock;
    NullHidPlatform platform;
    RecordingCore core{view, clock, platform};

    void Attach(BOOL application, BOOL present) {
        core.m_bWriterConnected = application;
        core.m_bDevicePresent = present;
    }
};

TEST_F(WorkerTest, RunsBatchInQueueOrderAndStopsAtQuit) {
    core.PostJob(Configure);
    core.PostJob(UpgradeFirmware);
    core.PostJob(99);  // unknown commands are skipped
    core.PostJob(Quit);
    core.PostJob(Configure);  // after Quit in the same batch: never run
    core.SetFilePath(L"C:\\fw\\a.hex");
    core.Run();
    EXPECT_EQ(core.log, (std::vector<std::wstring>{L"configure", L"upgrade C:\\fw\\a.hex"}));
    EXPECT_TRUE(core.m_jobQueue.empty());
    EXPECT_EQ(clock.SleptTotal(), 0u);  // Quit was in the first batch
}

TEST_F(WorkerTest, CommandsQueuedDuringABatchWaitForTheNextPassAfterTenMilliseconds) {
    core.duringJob = [&] {
        if (core.log.size() == 1) {
            core.SetFilePath(L"newer.hex");  // chosen after queuing, before the worker got there
            core.PostJob(UpgradeFirmware);
            core.PostJob(Quit);
        }
    };
    core.PostJob(Configure);
    core.Run();
    EXPECT_EQ(core.log, (std::vector<std::wstring>{L"configure", L"upgrade newer.hex"}));
    EXPECT_EQ(clock.SleptTotal(), 10u);
}

TEST_F(WorkerTest, FlagsAreResetAfterEachJob) {
    core.SetFilePath(L"a.ctl");
    Attach(TRUE, TRUE);
    core.OnConfigureWriter();
    core.OnUpgradeFirmware();
    EXPECT_FALSE(core.m_bConfigIdle);
    EXPECT_TRUE(core.m_bUpgradeBusy);
    core.PostJob(Quit);
    core.Run();
    EXPECT_TRUE(core.m_bConfigIdle);
    EXPECT_FALSE(core.m_bUpgradeBusy);
    EXPECT_EQ(core.log.size(), 2u);
}

TEST_F(WorkerTest, SecondClickWhileQueuedIsIgnoredSilently) {
    core.SetFilePath(L"a.ctl");
    Attach(TRUE, TRUE);
    core.OnConfigureWriter();
    core.OnConfigureWriter();
    core.OnUpgradeFirmware();
    core.OnUpgradeFirmware();
    EXPECT_EQ(core.m_jobQueue.size(), 2u);
    EXPECT_TRUE(view.Events().empty());
}

TEST_F(WorkerTest, HandlersTestThePathBeforeTheWriter) {
    Attach(FALSE, FALSE);
    core.OnConfigureWriter();
    core.OnUpgradeFirmware();
    EXPECT_EQ(view.PaneTexts(kPaneError),
              (std::vector<std::wstring>{L"没有源文件", L"没有源文件"}));
    core.SetFilePath(L"a.ctl");
    view.Clear();
    core.OnConfigureWriter();
    core.OnUpgradeFirmware();
    EXPECT_EQ(view.PaneTexts(kPaneError), (std::vector<std::wstring>{L"USB未连接", L"USB未连接"}));
    EXPECT_TRUE(core.m_jobQueue.empty());
}

TEST_F(WorkerTest, BootLoaderOnlyRefusesConfigurationButQueuesUpgrade) {
    core.SetFilePath(L"a.hex");
    Attach(FALSE, TRUE);
    core.OnConfigureWriter();
    core.OnUpgradeFirmware();
    EXPECT_EQ(view.PaneTexts(kPaneError), (std::vector<std::wstring>{L"USB未连接"}));
    ASSERT_EQ(core.m_jobQueue.size(), 1u);
    EXPECT_EQ(core.m_jobQueue.front().command, UpgradeFirmware);
    EXPECT_EQ(core.m_jobQueue.front().param1, 0u);
    EXPECT_EQ(core.m_jobQueue.front().param2, 0u);
}

TEST_F(WorkerTest, ThreadEndsWithinOnePollAfterQuit) {
    ASSERT_TRUE(core.StartWorker());
    core.SetFilePath(L"a.ctl");
    Attach(TRUE, TRUE);
    core.OnConfigureWriter();
    // Let the worker take the job, then stop it; the virtual clock makes its
    // 10 ms pauses free, and the real wait below is only an upper bound.
    EXPECT_TRUE(core.StopWorker(10000));
    EXPECT_EQ(core.m_hThread, kNoThread);
    EXPECT_TRUE(core.m_bConfigIdle);
    EXPECT_EQ(core.log, (std::vector<std::wstring>{L"configure"}));
}

TEST_F(WorkerTest, PathCopyIsSafeAgainstAConcurrentChange) {
    ASSERT_TRUE(core.StartWorker());
    Attach(TRUE, TRUE);
    std::vector<std::wstring> paths = {L"first.hex", L"a much longer second path.hex"};
    for (int i = 0; i < 200; ++i) {
        core.SetFilePath(paths[i % 2]);
        core.OnUpgradeFirmware();
    }
    EXPECT_TRUE(core.StopWorker(10000));
    for (const std::wstring& entry : core.log)
        EXPECT_TRUE(entry == L"upgrade " + paths[0] || entry == L"upgrade " + paths[1])
            << entry.size();
}

}  // namespace
