// The firmware upgrade job end to end against the simulated writer, in virtual
// time: the whole conversation, the texts, boxes and progress positions, the APROM
// that results, and every way the job can fail.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/SimHarness.h"
#include "tests/support/TempDir.h"
#include "tests/upgrade/UpgradeScenario.h"
#include "upgrade/FirmwareImage.h"

using namespace vantrel;
using namespace vantrel::test;
using vantrel::sim::Fault;
using vantrel::sim::SimMode;
using vantrel::sim::SimOptions;

namespace {

using Texts = std::vector<std::wstring>;

const wchar_t kWarning[] = L"固件更新，不要断开usb连接！";
const wchar_t kCannotOpen[] = L"Can't Open HID Device\n";
const wchar_t kSendFailed[] = L"ERROR: Send read command error!\n";
const wchar_t kReadFailed[] = L"ERROR: Read fail!\n";

// The part of a run after the boot loader is open.
const Texts kFromErase = {L"E APROM擦除...", L"E APROM擦除完成!", L"E APROM烧录...",
                          L"E APROM BOOT 成功!", L"E 系统复位完成!"};

Texts Concat(Texts a, const Texts& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class UpgradeJobTest : public ::testing::Test {
protected:
    // A writer that runs its application, or its boot loader, with faults.
    void Attach(bool inBootLoader, std::vector<Fault> faults = {}) {
        SimOptions options;
        options.startInBootLoader = inBootLoader;
        options.faults = std::move(faults);
        h = std::make_unique<SimHarness>(options);
        h->Start();
        h->view.Clear();
    }

    bool Run() { return h->core.RunFirmwareUpgrade(path); }

    // The run as the operator sees it: "E " error-pane texts, "C " connection-pane
    // texts and "M " message boxes, in order.
    Texts Story() const {
        Texts story;
        for (const ViewEvent& e : h->view.Events()) {
            if (e.kind == ViewEvent::Pane && e.target == kPaneError)
                story.push_back(L"E " + e.text);
            if (e.kind == ViewEvent::Pane && e.target == kPaneConnection)
                story.push_back(L"C " + e.text);
            if (e.kind == ViewEvent::Message) story.push_back(L"M " + e.text);
        }
        return story;
    }
    // The story without the connection pane.
    Texts JobStory() const {
        Texts story = Story();
        std::erase_if(story, [](const std::wstring& s) { return s[0] == L'C'; });
        return story;
    }

    int Count(const std::string& name) const {
        auto names = h->writer.RecordedNames();
        return static_cast<int>(std::count(names.begin(), names.end(), name));
    }
    std::vector<uint8_t> ApromPage(uint32_t page) const {
        auto aprom = h->writer.Aprom();
        return std::vector<uint8_t>(aprom.begin() + page * kPageSize,
                                    aprom.begin() + (page + 1) * kPageSize);
    }

    // After a failure in the boot loader: a new run goes straight to the erase,
    // with the warning box first, and completes.
    void ExpectRerunStartsAtErase() {
        ASSERT_TRUE(h->core.m_bBootMode);
        h->writer.ClearFaults();
        h->writer.ClearRecord();
        h->view.Clear();
        EXPECT_TRUE(Run());
        EXPECT_EQ(JobStory(), Concat({L"M " + std::wstring(kWarning)}, kFromErase));
        EXPECT_EQ(Count("EnterLdrom"), 0);
        EXPECT_EQ(h->writer.Aprom(), image);
    }

    TempDir dir;
    std::vector<uint8_t> image = SampleFirmwareImage();
    std::wstring path = WriteFirmwareFile(dir, image);
    std::unique_ptr<SimHarness> h;
};

TEST_F(UpgradeJobTest, CompleteUpgradeFromTheApplication) {
    Attach(false);
    ASSERT_TRUE(Run());
    // The writer is on its way back as the application; presence tracking sees it.
    h->AdvanceAndDeliver(1000);

    EXPECT_EQ(Story(), Concat(Concat({L"M " + std::wstring(kWarning), L"C writer unconnect",
                                      L"E 连接LDROM...", L"C boot connect", L"E 连接LDROM成功!"},
                                     kFromErase),
                              {L"C writer unconnect", L"C writer connect"}));
    std::vector<std::string> expected = {"EnterLdrom", "QueryBootLoader"};
    expected.insert(expected.end(), 136, "EraseApromPage");
    for (int i = 0; i < 136; ++i) {
        expected.push_back("ProgramApromPage");
        expected.push_back("ReadApromChecksum");
    }
    expected.push_back("SystemReset");
    EXPECT_EQ(h->writer.RecordedNames(), expected);

    // Byte for byte, the pages the file never named included.
    EXPECT_EQ(h->writer.Aprom(), image);
    EXPECT_EQ(h->writer.Mode(), SimMode::Application);
    EXPECT_FALSE(h->core.m_bBootMode);
    EXPECT_FALSE(h->core.m_bAwaitingBootLoader);
    EXPECT_TRUE(h->core.m_bWriterConnected);
    EXPECT_EQ(h->writer.OpenHandleCount(), 0);
    EXPECT_TRUE(h->writer.Anomalies().empty());

    const ViewEvent warning{ViewEvent::Message, 0, kWarning, L"警告",
                            kMbOk | kMbIconExclamation | kMbSystemModal};
    EXPECT_EQ(h->view.Events().front(), warning);
    // 136 programming pauses, and nothing else slept: the waits poll.
    EXPECT_EQ(h->clock.SleptTotal(), 1360u);
}

TEST_F(UpgradeJobTest, CompleteUpgradeFromTheBootLoaderStartsWithTheWarning) {
    Attach(true);
    ASSERT_TRUE(h->core.m_bBootMode);
    ASSERT_TRUE(Run());
    EXPECT_EQ(Story(), Concat({L"M " + std::wstring(kWarning)}, kFromErase));
    EXPECT_EQ(Count("EnterLdrom"), 0);
    EXPECT_EQ(Count("QueryBootLoader"), 1);  // the start-up detection's
    EXPECT_EQ(h->writer.Aprom(), image);
    EXPECT_FALSE(h->core.m_bBootMode);
    // The flag is set by every run and only presence tracking clears it.
    EXPECT_TRUE(h->core.m_bAwaitingBootLoader);
}

TEST_F(UpgradeJobTest, ProgressPositionsOfACompleteRun) {
    Attach(false);
    ASSERT_TRUE(Run());
    EXPECT_EQ(h->view.ProgressPositions(), CompleteRunProgress());

    // 99 stays while page 0 is programmed: no position between the erase of the
    // last page and the verification of page 1.
    const auto events = h->view.Events();
    auto firstProgram = std::find_if(events.begin(), events.end(), [](const ViewEvent& e) {
        return e.kind == ViewEvent::Pane && e.text == L"APROM烧录...";
    });
    ASSERT_NE(firstProgram, events.end());
    auto nextProgress = std::find_if(firstProgram, events.end(), [](const ViewEvent& e) {
        return e.kind == ViewEvent::Progress;
    });
    ASSERT_NE(nextProgress, events.end());
    EXPECT_EQ(nextProgress->target, 0);
    EXPECT_EQ(std::prev(firstProgram)->text, L"APROM擦除完成!");
}

TEST_F(UpgradeJobTest, ApplicationThatCannotBeOpened) {
    Attach(false);
    h->writer.Unplug();
    h->DeliverDueEvents();
    h->view.Clear();
    EXPECT_FALSE(Run());
    EXPECT_EQ(Story(), Texts{L"E 无法打开USB设备"});
    EXPECT_TRUE(h->view.ProgressPositions().empty());
    EXPECT_TRUE(h->core.m_bAwaitingBootLoader);
}

TEST_F(UpgradeJobTest, EnterLdromThatCannotBeWritten) {
    Attach(false, {{Fault::Silent, "EnterLdrom", 1, -1}});
    EXPECT_FALSE(Run());
    EXPECT_EQ(Story(), Texts{L"M " + std::wstring(kSendFailed)});
    EXPECT_EQ(h->writer.Mode(), SimMode::Application);
    EXPECT_EQ(h->writer.OpenHandleCount(), 0);
    EXPECT_TRUE(h->core.m_bAwaitingBootLoader);
}

TEST_F(UpgradeJobTest, BootLoaderThatNeverAnswersItsQuery) {
    Attach(false, {{Fault::NoBoot, "QueryBootLoader", 1, -1}});
    EXPECT_FALSE(Run());
    // Presence tracking's query showed its own box; the job gave up.
    EXPECT_EQ(Story(), (Texts{L"M " + std::wstring(kWarning), L"C writer unconnect",
                              L"E 连接LDROM...", L"M " + std::wstring(kReadFailed),
                              L"C writer unconnect", L"E 连接LDROM失败!"}));
    EXPECT_EQ(Count("EraseApromPage"), 0);
    EXPECT_TRUE(h->core.m_bAwaitingBootLoader);
}

TEST_F(UpgradeJobTest, BootLoaderThatNeverAppearsIsGivenUpAfterTenSeconds) {
    Attach(false);
    uint64_t boxClosed = 0;
    int pumps = 0;
    auto deliver = h->view.onMessage;
    h->view.onMessage = [&](const std::wstring& text) {
        h->writer.Unplug();  // and it never comes back
        deliver(text);
        boxClosed = h->clock.Now();
    };
    auto pump = h->view.onPump;
    h->view.onPump = [&] {
        ++pumps;
        pump();
    };
    EXPECT_FALSE(Run());
    EXPECT_EQ(JobStory(),
              (Texts{L"M " + std::wstring(kWarning), L"E 连接LDROM...", L"E 连接LDROM失败!"}));
    // One tick-count read per pass, each a virtual millisecond: the first check
    // after more than 10,000 ms ends the wait, and every pass pumped first.
    const uint64_t waited = h->clock.Now() - boxClosed;
    EXPECT_GT(waited, 10000u);
    EXPECT_LE(waited, 10003u);
    EXPECT_GE(pumps, 10000);
    EXPECT_TRUE(h->core.m_bAwaitingBootLoader);
}

TEST_F(UpgradeJobTest, BootLoaderThatCannotBeOpenedIsGivenUpAfterThreeSeconds) {
    Attach(false);
    uint64_t seen = 0;
    auto pump = h->view.onPump;
    h->view.onPump = [&] {
        pump();
        if (!h->core.m_bAwaitingBootLoader && seen == 0) {
            seen = h->clock.Now();
            h->writer.Unplug();  // seen, then gone before the job opens it
        }
    };
    EXPECT_FALSE(Run());
    EXPECT_EQ(JobStory(),
              (Texts{L"M " + std::wstring(kWarning), L"E 连接LDROM...", L"E 连接LDROM失败!"}));
    const uint64_t waited = h->clock.Now() - seen;
    EXPECT_GT(waited, 3000u);
    EXPECT_LE(waited, 3003u);
    EXPECT_EQ(h->writer.OpenHandleCount(), 0);
}

TEST_F(UpgradeJobTest, EraseRefusedThenANewRunStartsAtErase) {
    Attach(false, {{Fault::Refuse, "EraseApromPage", 5, -1}});
    EXPECT_FALSE(Run());
    EXPECT_EQ(JobStory(), (Texts{L"M " + std::wstring(kWarning), L"E 连接LDROM...",
                                 L"E 连接LDROM成功!", L"E APROM擦除...", L"E APROM擦除失败!"}));
    EXPECT_EQ(h->view.ProgressPositions(), (std::vector<int>{0, 1, 2, 2}));
    EXPECT_EQ(h->writer.OpenHandleCount(), 0);
    ExpectRerunStartsAtErase();
}

TEST_F(UpgradeJobTest, EraseWithoutAnswerShowsTheReadFailure) {
    Attach(true, {{Fault::Silent, "EraseApromPage", 3, -1}});
    EXPECT_FALSE(Run());
    EXPECT_EQ(JobStory(), (Texts{L"M " + std::wstring(kWarning), L"E APROM擦除...",
                                 L"M " + std::wstring(kReadFailed), L"E APROM擦除失败!"}));
    EXPECT_EQ(Count("EraseApromPage"), 3);
}

TEST_F(UpgradeJobTest, StaleBootModeWithTheApplicationRunningFailsTheFirstErase) {
    Attach(false);
    h->core.m_bBootMode = TRUE;
    EXPECT_FALSE(Run());
    EXPECT_EQ(JobStory(), (Texts{L"M " + std::wstring(kWarning), L"E APROM擦除...",
                                 L"M " + std::wstring(kCannotOpen), L"E APROM擦除失败!"}));
    EXPECT_TRUE(h->writer.RecordedNames().empty());
}

TEST_F(UpgradeJobTest, FirmwareFileThatCannotBeOpenedAfterTheErase) {
    Attach(true);
    path = dir.File(L"missing.hex");
    EXPECT_FALSE(Run());
    EXPECT_EQ(JobStory(), (Texts{L"M " + std::wstring(kWarning), L"E APROM擦除...",
                                 L"E APROM擦除完成!", L"M 源文件不能打开"}));
    EXPECT_EQ(h->view.Events().back().caption, L"Message");
    EXPECT_EQ(Count("EraseApromPage"), 136);
    EXPECT_EQ(Count("ProgramApromPage"), 0);
    EXPECT_EQ(h->writer.Aprom(), std::vector<uint8_t>(kFirmwareImageSize, 0xFF));
    EXPECT_EQ(h->writer.Mode(), SimMode::BootLoader);
    path = WriteFirmwareFile(dir, image);
    ExpectRerunStartsAtErase();
}

TEST_F(UpgradeJobTest, PageThatCannotBeProgrammed) {
    Attach(true, {{Fault::Silent, "ProgramApromPage", 4, -1}});
    EXPECT_FALSE(Run());
    EXPECT_EQ(JobStory(),
              (Texts{L"M " + std::wstring(kWarning), L"E APROM擦除...", L"E APROM擦除完成!",
                     L"E APROM烧录...", L"M " + std::wstring(kSendFailed), L"E APROM烧录失败!"}));
    EXPECT_EQ(Count("ReadApromChecksum"), 3);
    EXPECT_EQ(h->view.LastProgress(), 100 * 2 / 136);
    EXPECT_EQ(h->writer.OpenHandleCount(), 0);
    ExpectRerunStartsAtErase();
}

TEST_F(UpgradeJobTest, ChecksumThatCannotBeRead) {
    Attach(true, {{Fault::Silent, "ReadApromChecksum", 2, -1}});
    EXPECT_FALSE(Run());
    EXPECT_EQ(JobStory(), (Texts{L"M " + std::wstring(kWarning), L"E APROM擦除...",
                                 L"E APROM擦除完成!", L"E APROM烧录...",
                                 L"M " + std::wstring(kReadFailed), L"E APROM读取CheckSum失败!"}));
    EXPECT_EQ(Count("ProgramApromPage"), 2);
}

TEST_F(UpgradeJobTest, WrongChecksumAtPageSevenLeavesTheRestUntouched) {
    Attach(true, {{Fault::BadSum, "ReadApromChecksum", 1, 7}});
    EXPECT_FALSE(Run());
    EXPECT_EQ(JobStory(), (Texts{L"M " + std::wstring(kWarning), L"E APROM擦除...",
                                 L"E APROM擦除完成!", L"E APROM烧录...", L"E CheckSum验证失败!"}));
    EXPECT_EQ(Count("ProgramApromPage"), 8);
    EXPECT_EQ(Count("ReadApromChecksum"), 8);
    EXPECT_EQ(h->view.LastProgress(), 100 * 6 / 136);
    for (uint32_t page = 0; page < 8; ++page)
        EXPECT_EQ(ApromPage(page), std::vector<uint8_t>(image.begin() + page * kPageSize,
                                                        image.begin() + (page + 1) * kPageSize));
    for (uint32_t page = 8; page < 136; ++page)
        EXPECT_EQ(ApromPage(page), std::vector<uint8_t>(kPageSize, 0xFF)) << "page " << page;
    EXPECT_TRUE(h->core.m_bBootMode);
}

TEST_F(UpgradeJobTest, ResetThatCannotBeSent) {
    Attach(true, {{Fault::Silent, "SystemReset", 1, -1}});
    EXPECT_FALSE(Run());
    EXPECT_EQ(JobStory(), (Texts{L"M " + std::wstring(kWarning), L"E APROM擦除...",
                                 L"E APROM擦除完成!", L"E APROM烧录...", L"E APROM BOOT 成功!",
                                 L"M " + std::wstring(kSendFailed), L"E 系统复位失败!"}));
    EXPECT_EQ(h->view.LastProgress(), 99);
    EXPECT_TRUE(h->core.m_bBootMode);
    EXPECT_EQ(h->writer.Aprom(), image);
    EXPECT_EQ(h->writer.OpenHandleCount(), 0);
}

}  // namespace
