// Whole configurations against the simulated writer, in virtual time: every
// command record and data report byte for byte, for the IC types, writer levels,
// EEPROM counts, option layouts and family numbers that change what is sent.

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

#include "tests/configure/ConfigureFiles.h"
#include "tests/configure/ConfigureRig.h"
#include "tests/configure/WireModel.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

std::vector<uint8_t> Hex(const char* text) {
    std::vector<uint8_t> bytes;
    for (const char* p = text; p[0] != 0 && p[1] != 0;) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        bytes.push_back(static_cast<uint8_t>(std::stoi(std::string(p, 2), nullptr, 16)));
        p += 2;
    }
    bytes.resize(64, 0);
    return bytes;
}

std::vector<uint8_t> Bytes(const std::array<uint8_t, 64>& report) {
    return std::vector<uint8_t>(report.begin(), report.end());
}

sim::SimOptions Level(uint32_t level) {
    sim::SimOptions options;
    options.writerLevel = level;
    return options;
}

// Runs one file on a fresh writer and checks every report against the model.
void ExpectConfiguration(const ControlFileContents& file, const RunExpectation& run,
                         uint8_t modeAnswer = 1) {
    ConfigureRig rig;
    rig.view.modeAnswer = modeAnswer;
    ASSERT_TRUE(rig.Configure(file, run.wideOptions));
    WireModel model;
    model.QueryWriterLevel(file);
    model.Configuration(file, run);
    EXPECT_TRUE(SameTraffic(rig.writer.RecordedCommands(), model.commands));
    EXPECT_TRUE(rig.writer.Anomalies().empty());
    EXPECT_EQ(rig.writer.OpenHandleCount(), 0);
}

}  // namespace

TEST(ConfigureWriter, TypeTwoSendsEveryStepWithTheBytesThatEarlierCommandsLeft) {
    ConfigureRig rig;
    const ControlFileContents file = SampleContents('2', 100, 20, 4);
    ASSERT_TRUE(rig.Configure(file));

    const auto received = rig.writer.RecordedCommands();
    ASSERT_EQ(rig.Names(),
              (std::vector<std::string>{"QueryWriterLevel", "ConnectWriter", "DownData", "DownIC",
                                        "DownEE", "DownOPT", "DownIC", "DownSN", "DownPass",
                                        "DownID", "DownProCheckSum", "DownINRCSET", "DownIOSet",
                                        "DownICName", "DownLeve", "DisConnectWriter"}));
    // Written out by hand: DownIC carries 22 bytes under a length of 18; DownPass
    // carries the tail of DownSN, DownIOSet those of DownINRCSET, DownProCheckSum,
    // DownID and DownSN; DownICName clears the payload first and DownLeve carries
    // the rest of the name.
    EXPECT_EQ(Bytes(received[3].bytes),
              Hex("02 02 0800d085 1200 32748083 6664 8381 04 7f3f1f01 a4 a8a9aaabacadaeaf"));
    EXPECT_EQ(Bytes(received[8].bytes),
              Hex("02 02 08005085 0800 b0b1b2b3b4b5b6b7 18191a1b1c1d1e1f2021222324252627"
                  "28292a2b2c2d2e2f3031"));
    EXPECT_EQ(Bytes(received[12].bytes),
              Hex("02 02 08000087 0100 03 e1e2e3e4 c5c6c7 28292a2b2c2d2e2f303132333435363738"
                  "39 2a2b2c2d2e2f3031"));
    EXPECT_EQ(Bytes(received[13].bytes),
              Hex("02 02 08000088 1000 49432d4e414d452d3031323334353637"));
    EXPECT_EQ(Bytes(received[14].bytes),
              Hex("02 02 0800c085 0100 5a 432d4e414d452d3031323334353637"));

    WireModel model;
    model.QueryWriterLevel(file);
    model.Configuration(file, {});
    EXPECT_TRUE(SameTraffic(received, model.commands));
    EXPECT_TRUE(rig.writer.Anomalies().empty());
    EXPECT_EQ(rig.writer.OpenHandleCount(), 0);
    // The two bulk commands pause 2000 ms each; nothing else waits.
    EXPECT_EQ(rig.clock.SleptTotal(), 4000u);
    EXPECT_EQ(rig.view.AskCount(), 0);
    EXPECT_EQ(rig.core.m_nProgramMode, 3);
}

TEST(ConfigureWriter, EveryTransactionHoldsTheLinkGateFromOpenToClose) {
    ConfigureRig rig;
    int calls = 0;
    int free = 0;
    rig.link.onCall = [&](const char*) {
        ++calls;
        const bool taken = std::async(std::launch::async, [&] {
                               if (!rig.core.m_linkGate.try_lock()) return false;
                               rig.core.m_linkGate.unlock();
                               return true;
                           }).get();
        if (taken) ++free;
    };
    ASSERT_TRUE(rig.Configure(SampleContents('2', 40, 4)));
    EXPECT_GT(calls, 16 * 4);
    EXPECT_EQ(free, 0);
}

TEST(ConfigureWriter, AskedTypesSendTheOperatorsAnswer) {
    for (uint8_t answer : {1, 2}) {
        SCOPED_TRACE(answer);
        ExpectConfiguration(SampleContents('7'), {true, true, answer, false}, answer);
    }
    for (char type : std::string("9:;<=>?@AFIKLMNP")) {
        SCOPED_TRACE(type);
        ConfigureRig rig;
        rig.view.modeAnswer = 2;
        ASSERT_TRUE(rig.Configure(SampleContents(type)));
        EXPECT_EQ(rig.view.AskCount(), 1);
        const auto received = rig.writer.RecordedCommands();
        ASSERT_EQ(received[12].name, "DownIOSet");
        EXPECT_EQ(received[12].bytes[8], 2);
    }
}

TEST(ConfigureWriter, OptionBytesFollowTheIcType) {
    for (char type : std::string("BCD2GE")) {
        SCOPED_TRACE(type);
        ExpectConfiguration(SampleContents(type), {});
    }
}

TEST(ConfigureWriter, TypesThreeAndFiveUseCommandFamilyThreeAndTheFamily53Rule) {
    struct Case {
        char type;
        int32_t family;
        uint8_t inrc4;
        uint8_t optionByte;
    };
    for (const Case& k : {Case{'5', 53, 0, 0x15}, Case{'3', 53, 0, 0x15}, Case{'5', 53, 7, 0x05},
                          Case{'3', 4, 0, 0x05}}) {
        SCOPED_TRACE(k.type);
        ControlFileContents file = SampleContents(k.type, 100, 20, k.family);
        file.icDescriptor[1] = 0x05;
        file.inrcSet[4] = k.inrc4;
        ConfigureRig rig;
        ASSERT_TRUE(rig.Configure(file));
        const auto received = rig.writer.RecordedCommands();
        for (const auto& command : received) EXPECT_EQ(command.bytes[0], 3) << command.name;
        ASSERT_EQ(received[5].name, "DownOPT");
        EXPECT_EQ(received[5].bytes[6], 1);
        EXPECT_EQ(received[5].bytes[8], k.optionByte);
        WireModel model;
        model.QueryWriterLevel(file);
        model.Configuration(file, {});
        EXPECT_TRUE(SameTraffic(received, model.commands));
    }
}

TEST(ConfigureWriter, WriterLevelDecidesIoSetAndIcNameOnAFreshTool) {
    struct Case {
        uint32_t level;
        bool sent;
        uint8_t mode;
    };
    const Case cases[] = {{0, false, 1},         {0x02FFFFFF, false, 1}, {0x03000000, true, 3},
                          {0x7FFFFFFF, true, 3}, {0x80000000, false, 1}, {0xFFFFFFFF, false, 1},
                          {0x00000001, false, 1}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.level);
        ConfigureRig rig(Level(k.level));
        const ControlFileContents file = SampleContents('7');
        ASSERT_TRUE(rig.Configure(file));
        EXPECT_EQ(rig.view.AskCount(), k.sent ? 1 : 0);
        EXPECT_EQ(rig.core.m_bSendIoSet, k.sent ? 1 : 0);
        EXPECT_EQ(rig.core.m_bSendIcName, k.sent ? 1 : 0);
        WireModel model;
        model.QueryWriterLevel(file);
        model.Configuration(file, {k.sent, k.sent, k.sent ? uint8_t{1} : k.mode, false});
        EXPECT_TRUE(SameTraffic(rig.writer.RecordedCommands(), model.commands));
    }
}

TEST(ConfigureWriter, FlagsCarryOverToTheNextRunUntilALevelChangesThem) {
    ConfigureRig rig(Level(0x03000000));
    WireModel model;
    auto run = [&](const ControlFileContents& file, uint8_t answer, const RunExpectation& expect) {
        rig.view.modeAnswer = answer;
        rig.writer.ClearRecord();
        model.commands.clear();
        ASSERT_TRUE(rig.Configure(file));
        model.QueryWriterLevel(file);
        model.Configuration(file, expect);
        EXPECT_TRUE(SameTraffic(rig.writer.RecordedCommands(), model.commands));
    };
    const ControlFileContents seven = SampleContents('7', 64, 8);

    run(seven, 2, {true, true, 2, false});  // asks; five-wire
    EXPECT_EQ(rig.view.AskCount(), 1);

    rig.writer.SetLevel(0);  // level 0: everything stays; the question is put again
    run(seven, 1, {true, true, 1, false});
    EXPECT_EQ(rig.view.AskCount(), 2);

    rig.writer.SetLevel(0x02FFFFFF);  // below: both steps off, the question stays on
    run(seven, 2, {false, false, 2, false});
    EXPECT_EQ(rig.view.AskCount(), 3);
    EXPECT_EQ(rig.core.m_bAskProgramMode, 1);

    // A failed level query changes nothing and the run goes on.
    rig.writer.SetLevel(0x03000000);
    rig.writer.AddFault({sim::Fault::Silent, "QueryWriterLevel", 4, -1});
    rig.view.Clear();
    run(seven, 1, {false, false, 1, false});
    EXPECT_EQ(rig.view.Messages(),
              (std::vector<std::wstring>{L"ERROR: Read fail!\n", L"烧录器配置成功！"}));
    EXPECT_EQ(rig.view.AskCount(), 1);

    // A type that is not asked at the threshold: mode 3, the question off.
    const ControlFileContents b = SampleContents('B', 64, 8);
    run(b, 2, {true, true, 3, false});
    EXPECT_EQ(rig.view.AskCount(), 1);
    EXPECT_EQ(rig.core.m_bAskProgramMode, 0);
    EXPECT_EQ(rig.core.m_nProgramMode, 3);
}

TEST(ConfigureWriter, EepromCountsZeroAnd256AndLeftoversOfAnEarlierRun) {
    std::vector<uint8_t> full(256);
    for (int i = 0; i < 256; ++i) full[i] = static_cast<uint8_t>(i ^ 0x5A);
    ControlFileContents bigFile = SampleContents('2', 100, 0);
    bigFile.eepromBytes = full;
    const ControlFileContents big = bigFile;
    const ControlFileContents none = SampleContents('2', 100, 0);
    const ControlFileContents three = SampleContents('2', 100, 3);

    ConfigureRig rig;
    WireModel model;
    for (const ControlFileContents* file : {&big, &none, &three}) {
        rig.writer.ClearRecord();
        model.commands.clear();
        ASSERT_TRUE(rig.Configure(*file));
        model.QueryWriterLevel(*file);
        model.Configuration(*file, {});
        EXPECT_TRUE(SameTraffic(rig.writer.RecordedCommands(), model.commands));
    }
    // The run with three entries sends one raw report whose bytes 3-63 are those
    // that the 256-entry run left.
    const auto received = rig.writer.RecordedCommands();
    ASSERT_EQ(received[4].name, "DownEE");
    ASSERT_EQ(received[4].data.size(), 1u);
    EXPECT_EQ(received[4].data[0][2], 0x42);
    EXPECT_EQ(received[4].data[0][3], 3 ^ 0x5A);
}

TEST(ConfigureWriter, EepromCountAbove256AndProgramCountBeyondTheAreaAddressNothing) {
    struct Case {
        uint16_t words, entries;
        const wchar_t* text;
    };
    for (const Case& k : {Case{100, 257, L"数据错误：EERomSize 越界"},
                          Case{16641, 20, L"数据错误：ProgramSize 越界"},
                          Case{0xFFFF, 0xFFFF, L"数据错误：ProgramSize 越界"}}) {
        ConfigureRig rig;
        ControlFileContents file = SampleContents('2', 100, 20);
        file.fillDescriptorCounts = false;
        file.icDescriptor[5] = static_cast<uint8_t>(k.words);
        file.icDescriptor[6] = static_cast<uint8_t>(k.words >> 8);
        file.icDescriptor[7] = static_cast<uint8_t>(k.entries);
        file.icDescriptor[8] = static_cast<uint8_t>(k.entries >> 8);
        EXPECT_FALSE(rig.Configure(file));
        EXPECT_TRUE(rig.Names().empty());
        EXPECT_EQ(rig.view.Messages(), (std::vector<std::wstring>{k.text, L"烧录器配置失败！"}));
        EXPECT_EQ(rig.view.LastPane(kPaneActivity), L"配置失败");
        EXPECT_EQ(rig.view.LastProgress(), 0);
    }
}

TEST(ConfigureWriter, EmptyProgramSendsNoDataReportButReadsBothReplies) {
    ExpectConfiguration(SampleContents('2', 0, 0), {});
}

TEST(ConfigureWriter, BothOptionLayouts) {
    ControlFileContents wide = SampleContents('2', 100, 20, 6);
    wide.wideOptionLayout = true;
    ExpectConfiguration(wide, {true, true, 3, true});
    ExpectConfiguration(SampleContents('2', 100, 20, 6), {true, true, 3, false});
}

TEST(ConfigureWriter, FamilyNumbersInsideAndOutsideTheTableShapeTheProgramReports) {
    for (int32_t family : {3, 4, 5, 6, 7, 8, 9, 10, 0, 2, 11, 53, -1}) {
        SCOPED_TRACE(family);
        ExpectConfiguration(SampleContents('2', 70, 0, family), {});
    }
}

TEST(ConfigureWriter, WithNoWriterBothTheLevelQueryAndConnectWriterCannotOpen) {
    sim::SimOptions options;
    options.absent = true;
    ConfigureRig rig(options);
    EXPECT_FALSE(rig.Configure(SampleContents()));
    EXPECT_EQ(rig.view.PaneTexts(kPaneError),
              (std::vector<std::wstring>{L"", L"无法打开USB设备", L"无法打开USB设备"}));
    EXPECT_EQ(rig.view.Messages(),
              (std::vector<std::wstring>{L"Error：ConnectWriter", L"烧录器配置失败！"}));
}
