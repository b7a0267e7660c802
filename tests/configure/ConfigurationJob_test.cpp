// The configuration job: what the operator sees, from the chosen file to the
// checksum fields.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/configure/ConfigureFiles.h"
#include "tests/configure/ConfigureRig.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

ViewEvent Progress(int position) { return {ViewEvent::Progress, position, L"", L"", 0}; }
ViewEvent Pane(int pane, const std::wstring& text) { return {ViewEvent::Pane, pane, text, L"", 0}; }
ViewEvent Control(int id, const std::wstring& text) {
    return {ViewEvent::Control, id, text, L"", 0};
}
ViewEvent Box(const std::wstring& text) {
    return {ViewEvent::Message, 0, text, L"Message", kMbSystemModal};
}

std::vector<ViewEvent> Start() {
    return {Progress(0), Pane(kPaneError, L""), Pane(kPaneActivity, L""),
            Control(kIdcFirstChecksum, L""), Control(kIdcSecondChecksum, L"")};
}

std::vector<ViewEvent> Success(const std::wstring& name, const std::wstring& first,
                               const std::wstring& second) {
    std::vector<ViewEvent> events = Start();
    for (const ViewEvent& e :
         {Control(kIdcIcName, name), Progress(80), Pane(kPaneActivity, L"配置烧录器中......"),
          Pane(kPaneActivity, L"配置成功"), Box(L"烧录器配置成功！"), Progress(100),
          Control(kIdcFirstChecksum, first), Control(kIdcSecondChecksum, second)})
        events.push_back(e);
    return events;
}

}  // namespace

TEST(ConfigurationJob, SuccessShowsTheProgramChecksumAndTheIdCharacters) {
    ConfigureRig rig;
    ControlFileContents file = SampleContents('2');
    file.proCheckSum[2] = 0xCD;
    file.proCheckSum[3] = 0xAB;
    std::memcpy(file.id + 12, "WXYZ", 4);
    EXPECT_TRUE(rig.Configure(file));
    EXPECT_EQ(rig.view.Events(), Success(L"IC-NAME-01234567", L"ABCD", L"WXYZ"));
    EXPECT_EQ(std::memcmp(rig.core.m_icName, "IC-NAME-01234567", 16), 0);
}

TEST(ConfigurationJob, TypeFiveShowsTheIdCharactersAndASpaceAndHighBytesSignExtend) {
    ConfigureRig rig;
    ControlFileContents file = SampleContents('5');
    const uint8_t id[4] = {'N', 0x80, 0xFF, 0xA5};
    std::memcpy(file.id + 12, id, 4);
    EXPECT_TRUE(rig.Configure(file));
    const std::wstring characters = {L'N', static_cast<wchar_t>(0xFF80),
                                     static_cast<wchar_t>(0xFFFF), static_cast<wchar_t>(0xFFA5)};
    EXPECT_EQ(rig.view.Events(), Success(L"IC-NAME-01234567", characters, L" "));

    // The same bytes for another type land in the second field.
    ConfigureRig other;
    file.icDescriptor[9] = 'A';
    file.proCheckSum[2] = 0x0E;
    file.proCheckSum[3] = 0xF0;
    EXPECT_TRUE(other.Configure(file));
    EXPECT_EQ(other.view.LastControl(kIdcFirstChecksum), L"F00E");
    EXPECT_EQ(other.view.LastControl(kIdcSecondChecksum), characters);
}

TEST(ConfigurationJob, AFileThatFailsItsChecksIsReportedTwiceAndSendsNothing) {
    const std::vector<uint8_t> good = BuildControlFile(SampleContents());
    std::vector<uint8_t> header = good;
    header[kDataRegionLength + 4 + 100] ^= 1;  // an unread header byte
    std::vector<uint8_t> data = good;
    data[33800] ^= 1;  // an unread gap of the data region
    std::vector<uint8_t> shorter(good.begin(), good.end() - 1);
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    struct Case {
        const std::vector<uint8_t>* bytes;
        const wchar_t* text;
    };
    for (const Case& k : {Case{&header, L"第一次校验错误！"}, Case{&data, L"第二次校验错误！"},
                          Case{&shorter, L"文件长度不匹配"}, Case{&longer, L"文件长度不匹配"},
                          Case{nullptr, L"打开源文件出错"}}) {
        SCOPED_TRACE(std::wstring(k.text).size());
        ConfigureRig rig;
        std::memcpy(rig.core.m_icName, "EARLIER", 8);
        if (k.bytes) {
            EXPECT_FALSE(rig.ConfigureBytes(*k.bytes));
        } else {
            rig.core.SetFilePath(rig.folder.File(L"missing.ctl"));
            EXPECT_FALSE(rig.core.RunConfigurationJob());
        }
        std::vector<ViewEvent> expected = Start();
        expected.push_back(Pane(kPaneError, k.text));
        expected.push_back(Box(k.text));
        EXPECT_EQ(rig.view.Events(), expected);
        EXPECT_TRUE(rig.Names().empty());
        EXPECT_EQ(std::memcmp(rig.core.m_icName, "EARLIER", 8), 0);
    }
}

TEST(ConfigurationJob, IcNameShowsUpToSixteenBytesOrUpToItsFirstZero) {
    struct Case {
        std::vector<uint8_t> name;
        std::wstring shown;
    };
    const Case cases[] = {
        {{'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O', 'P', 'Q'},
         L"ABCDEFGHIJKLMNOP"},
        {{0, 'X', 'Y'}, L""},
        {{'N', '7', '6', 'E', '0', '0', '3', 0}, L"N76E003"},
#ifndef _WIN32
        {{0xD0, 0xBE, 0xC6, 0xAC, '-', '8'}, L"芯片-8"},
#endif
    };
    for (const Case& k : cases) {
        ConfigureRig rig;
        ControlFileContents file = SampleContents();
        std::memset(file.name, 0, sizeof file.name);
        std::memcpy(file.name, k.name.data(), k.name.size());
        EXPECT_TRUE(rig.Configure(file));
        EXPECT_EQ(rig.view.LastControl(kIdcIcName), k.shown);
        // DownICName sends the 16 bytes as they are.
        const auto received = rig.writer.RecordedCommands();
        EXPECT_EQ(std::memcmp(received[13].bytes.data() + 8, file.name, 16), 0);
    }
}

TEST(ConfigurationJob, ASecondJobClearsTheChecksumsAndAFailureLeavesThemEmpty) {
    ConfigureRig rig;
    EXPECT_TRUE(rig.Configure(SampleContents('2')));
    rig.view.Clear();
    rig.writer.AddFault({sim::Fault::Refuse, "DownLeve", 2, -1});  // the second run's
    EXPECT_FALSE(rig.Configure(SampleContents('2')));
    EXPECT_EQ(rig.view.LastControl(kIdcFirstChecksum), L"");
    EXPECT_EQ(rig.view.LastControl(kIdcSecondChecksum), L"");
    for (const ViewEvent& e : rig.view.Events()) {
        if (e.kind == ViewEvent::Control && e.target != kIdcIcName) {
            EXPECT_EQ(e.text, L"");
        }
    }
    EXPECT_EQ(rig.view.Messages(),
              (std::vector<std::wstring>{L"Error：DownLeve", L"烧录器配置失败！"}));
    EXPECT_EQ(rig.Names().back(), "DownLeve");

    // A file that does not load leaves the IC name of the earlier job in place.
    rig.view.Clear();
    EXPECT_FALSE(rig.ConfigureBytes({1, 2, 3}));
    EXPECT_EQ(rig.view.LastControl(kIdcIcName), L"");  // not set at all
    EXPECT_EQ(std::memcmp(rig.core.m_icName, "IC-NAME-01234567", 16), 0);
}
