// The firmware upgrade job end to end against the simulated writer, in virtual
// time: the whole conversation, the texts, boxes and progress positions, the APROM
// that results, every way the job can fail, the files it refuses before the writer
// is touched, and the files around the firmware file that it leaves alone.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "cipher/Des.h"
#include "common/Text.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TempDir.h"
#include "tests/upgrade/UpgradeScenario.h"
#include "upgrade/FirmwareImage.h"
#include "upgrade/FirmwareSealer.h"
#include "upgrade/IntelHexWriter.h"

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

// ---- Files refused before the writer is touched -----------------------------------

// The text of the sample image, which the cases below spoil in their own ways.
std::string SampleText() {
    IntelHexOptions options;
    options.skipZeroRecords = true;
    return BuildIntelHex(SampleFirmwareImage(), options);
}

std::string ReplaceLine(std::string text, size_t line, const std::string& with) {
    size_t at = 0;
    for (size_t i = 1; i < line; ++i) at = text.find('\n', at) + 1;
    return text.replace(at, text.find('\r', at) - at, with);
}

std::vector<uint8_t> SealedUnderAnotherKey(const std::string& text) {
    std::vector<uint8_t> plain(text.begin(), text.end());
    plain.resize((plain.size() + 7) / 8 * 8, 0);
    CDes des;
    const uint8_t key[8] = {'1', '2', '3', '4', '5', '6', '7', '8'};
    des.SetKey(key);
    std::vector<uint8_t> sealed(plain.size());
    for (size_t at = 0; at < plain.size(); at += 8) {
        des.EncryptBlock(plain.data() + at);
        std::copy(des.m_encryptedBlock, des.m_encryptedBlock + 8, sealed.begin() + at);
    }
    return sealed;
}

TEST_F(UpgradeJobTest, UnsoundOrUnreadableFilesAreRefusedBeforeTheWriterIsTouched) {
    const std::string text = SampleText();
    const std::vector<uint8_t> sealed = SealFirmware(text);
    std::vector<uint8_t> controlFile(34718);
    for (size_t i = 0; i < controlFile.size(); ++i) controlFile[i] = static_cast<uint8_t>(i * 7);
    // Line 2 is the first data record, ":10000000" and 16 bytes.
    const std::string record2 = text.substr(text.find('\n') + 1, 43);
    std::string lowered = record2;
    for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string wrongSum = record2.substr(0, 42) + (record2[42] == '0' ? "1" : "0");

    const wchar_t kInvalid[] = L"固件文件无效!";
    const wchar_t kUnreadable[] = L"源文件不能打开";
    const struct {
        const char* what;
        std::vector<uint8_t> file;  // written as writer.hex, unless absent
        bool absent;
        const wchar_t* pane;
        std::wstring box;
    } cases[] = {
        {"a control file", controlFile, false, kInvalid, L"固件文件无效：第1行不是Intel HEX记录！"},
        {"an empty file", {}, false, kInvalid, L"固件文件无效：没有文件结束记录！"},
        {"Intel HEX never sealed", std::vector<uint8_t>(text.begin(), text.end()), false, kInvalid,
         L"固件文件无效：第1行不是Intel HEX记录！"},
        {"sealed under another key", SealedUnderAnotherKey(text), false, kInvalid,
         L"固件文件无效：第1行不是Intel HEX记录！"},
        {"a download cut in half",
         std::vector<uint8_t>(sealed.begin(), sealed.begin() + sealed.size() / 16 * 8), false,
         kInvalid, L"固件文件无效：第338行记录长度与字节数不符！"},
        {"a wrong record checksum", SealFirmware(ReplaceLine(text, 2, wrongSum)), false, kInvalid,
         L"固件文件无效：第2行记录校验和错误！"},
        {"lower-case digits", SealFirmware(ReplaceLine(text, 2, lowered)), false, kInvalid,
         L"固件文件无效：第2行含有非大写十六进制字符！"},
        {"a byte count that does not match",
         SealFirmware(ReplaceLine(text, 2, ":11" + record2.substr(3))), false, kInvalid,
         L"固件文件无效：第2行记录长度与字节数不符！"},
        {"no data inside the image",
         SealFirmware(":020000040002F8\r\n:0100000011EE\r\n:00000001FF\r\n"), false, kInvalid,
         L"固件文件无效：APROM范围内没有数据！"},
        {"a file that does not exist", {}, true, kUnreadable, kUnreadable},
    };
    for (bool inBootLoader : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (inBootLoader ? ", boot loader" : ", application"));
            Attach(inBootLoader);
            h->writer.ClearTrace();
            h->writer.ClearRecord();
            path = c.absent ? dir.File(L"absent.hex") : dir.Write(L"writer.hex", c.file);
            EXPECT_FALSE(Run());
            EXPECT_EQ(Story(), (Texts{L"E " + std::wstring(c.pane), L"M " + c.box}));
            EXPECT_EQ(h->view.Events().back().caption, L"Message");
            EXPECT_TRUE(h->writer.Trace().empty());
            EXPECT_EQ(h->writer.Aprom(), std::vector<uint8_t>(kFirmwareImageSize, 0xFF));
            EXPECT_EQ(h->writer.Mode(), inBootLoader ? SimMode::BootLoader : SimMode::Application);
            EXPECT_EQ(h->core.m_bBootMode != FALSE, inBootLoader);
            EXPECT_EQ(h->core.m_bFirmwareRefused != FALSE, !c.absent);
        }
    }
}

TEST_F(UpgradeJobTest, ForcedUpgradeProgramsAnUnsoundFileAsItReads) {
    Attach(true);
    h->core.m_bSkipFirmwareCheck = TRUE;
    path = dir.Write(L"writer.hex", SealFirmware(":01000000ab55\r\n:0100010022DD\r\n"));
    ASSERT_TRUE(Run());
    std::vector<uint8_t> expected(kFirmwareImageSize, 0);
    expected[1] = 0x22;  // "ab" reads as 0x00
    EXPECT_EQ(h->writer.Aprom(), expected);
}

TEST_F(UpgradeJobTest, FileChangedDuringTheJobProgramsTheBytesReadAtTheStart) {
    Attach(false);
    auto deliver = h->view.onMessage;
    h->view.onMessage = [&](const std::wstring& text) {
        // While the warning box is open: another image, then a truncated file.
        WriteFirmwareFile(dir, std::vector<uint8_t>(kFirmwareImageSize, 0x77));
        dir.Write(L"writer.hex", std::vector<uint8_t>(24, 0));
        deliver(text);
    };
    ASSERT_TRUE(Run());
    EXPECT_EQ(h->writer.Aprom(), image);
}

#ifndef _WIN32
// What an earlier version wrote beside the firmware file, planted there now: the
// job neither follows a link there nor opens a FIFO there.
TEST_F(UpgradeJobTest, LinkAndFifoAtTheOldIntermediateNameAreLeftAlone) {
    const std::wstring target = dir.Write(L"target.bin", std::string("precious"));
    ASSERT_EQ(symlink(ToUtf8(target).c_str(), ToUtf8(path + L".hex").c_str()), 0);
    Attach(true);
    ASSERT_TRUE(Run());
    EXPECT_EQ(h->writer.Aprom(), image);
    EXPECT_EQ(ReadWholeFile(target),
              std::vector<uint8_t>({'p', 'r', 'e', 'c', 'i', 'o', 'u', 's'}));

    ASSERT_EQ(unlink(ToUtf8(path + L".hex").c_str()), 0);
    ASSERT_EQ(mkfifo(ToUtf8(path + L".hex").c_str(), 0600), 0);
    // Held open here, so that a job that opened it would neither block nor go unseen.
    const int fifo = open(ToUtf8(path + L".hex").c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(fifo, 0);
    const char planted[] = ":0100000099DD\r\n:00000001FF\r\n";
    ASSERT_EQ(write(fifo, planted, sizeof planted - 1), static_cast<ssize_t>(sizeof planted - 1));
    Attach(true);
    ASSERT_TRUE(Run());
    EXPECT_EQ(h->writer.Aprom(), image);
    char left[64];
    EXPECT_EQ(read(fifo, left, sizeof left), static_cast<ssize_t>(sizeof planted - 1));
    close(fifo);
    EXPECT_EQ(dir.Entries(),
              (std::vector<std::wstring>{L"target.bin", L"writer.hex", L"writer.hex.hex"}));
}

TEST_F(UpgradeJobTest, UpgradeFromAReadOnlyFolderSucceedsAndWritesNothing) {
    dir.MakeDir(L"ro");
    path = WriteFirmwareFile(dir, image, L"ro/writer.hex");
    ASSERT_EQ(chmod(ToUtf8(dir.File(L"ro")).c_str(), 0555), 0);
    Attach(false);
    const bool upgraded = Run();
    std::vector<std::wstring> entries;
    for (const wchar_t* name : {L"writer.hex", L"writer.hex.hex"})
        if (FileExists(dir.File(L"ro/") + name)) entries.emplace_back(name);
    chmod(ToUtf8(dir.File(L"ro")).c_str(), 0755);
    EXPECT_TRUE(upgraded);
    EXPECT_EQ(h->writer.Aprom(), image);
    EXPECT_EQ(entries, std::vector<std::wstring>{L"writer.hex"});
}
#endif

}  // namespace
