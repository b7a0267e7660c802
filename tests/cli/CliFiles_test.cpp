// vantrel-cli's file commands: pack builds a control file that the tool's own
// reader accepts with the described items, seal makes a firmware file that
// deciphers to the text, and inspect describes both without a writer.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/VantrelCore.h"
#include "cli/Interruption.h"
#include "common/FileRead.h"
#include "common/Json.h"
#include "common/OutputFile.h"
#include "configure/ControlFile.h"
#include "link/NullHidPlatform.h"
#include "tests/cli/RunCli.h"
#include "tests/support/RecordingView.h"
#include "tests/support/TempDir.h"
#include "upgrade/FirmwareDecoding.h"
#include "upgrade/FirmwareReport.h"
#include "upgrade/FirmwareSealer.h"
#include "upgrade/IntelHexWriter.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

const char kFilesDescription[] = R"({
  "name": "FILE-TEST",
  "key": "F0E1D2C3B4A59687",
  "ic_type": "5",
  "descriptor_options": "11 22 33 44",
  "extra_options": [170, 187],
  "family_number": 3,
  "program_words": [1, 2, 3, "0xFFFF"],
  "eeprom_bytes": {"text": "EE"},
  "option_block": "00 00 00 00 01 02",
  "ic_params": [9, 8, 7],
  "sn": {"text": "SN1"},
  "pass": "0102030405060708",
  "id": "00 00 00 00 00 00 00 00 00 00 00 00 41 42 43 44",
  "pro_checksum": "00 00 34 12",
  "inrc_set": [5, 4, 3, 2, 1],
  "leve": 200
})";

class CliFilesTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string Path(const wchar_t* name) { return Arg(dir.File(name)); }

    CliRun Pack(const std::string& description) {
        dir.Write(L"d.json", description);
        return RunCli({"pack", "-o", Path(L"out.ctl"), Path(L"d.json")});
    }
};

TEST_F(CliFilesTest, PackedItemsComeBackThroughTheToolsOwnReader) {
    const CliRun pack = Pack(kFilesDescription);
    ASSERT_EQ(pack.status, 0) << pack.err;

    auto file = std::make_unique<ControlFile>();
    ASSERT_EQ(LoadControlFile(dir.File(L"out.ctl"), *file), ControlFileResult::Ok);
    RecordingView view;
    VirtualClock clock;
    NullHidPlatform platform;
    auto core = std::make_unique<CVantrelCore>(view, clock, platform);
    ASSERT_TRUE(core->DecodeConfiguration(*file));

    EXPECT_EQ(std::memcmp(file->header, "FILE-TEST\0", 10), 0);
    const uint8_t descriptor[16] = {0x11, 0x22, 0x33, 0x44, 0, 4, 0, 2, 0, '5', 0xAA, 0xBB};
    EXPECT_EQ(std::memcmp(core->m_icDescriptor, descriptor, 16), 0);
    EXPECT_EQ(core->m_programImage[6], 0xFF);
    EXPECT_EQ(core->m_programImage[7], 0xFF);
    EXPECT_EQ(core->m_eepromImage[0], 'E');
    EXPECT_EQ(core->m_optionBlock[5], 2);
    EXPECT_EQ(core->m_optionBlock[12], 3);
    EXPECT_EQ(core->m_icParamBlock[2], 7);
    EXPECT_EQ(std::memcmp(core->m_snBlock, "SN1", 4), 0);
    EXPECT_EQ(core->m_passBlock[7], 8);
    EXPECT_EQ(core->m_inrcSet[4], 1);
    EXPECT_EQ(core->m_leve, 200);
    EXPECT_EQ(core->m_nCommandFamily, 3);
}

TEST_F(CliFilesTest, PackRefusesWhatItCannotRepresent) {
    const struct {
        const char* description;
        const char* complaint;
    } cases[] = {
        {R"({"name": "X", "key": "0011"})", "\"key\""},
        {R"({"name": "X", "key": "0011223344556677", "pas": "00"})", "unknown member \"pas\""},
        {R"({"name": "X", "key": "0011223344556677", "pass": "00 11 22 33 44 55 66 77 88"})",
         "\"pass\": 9 bytes"},
        {R"({"name": "X", "key": "0011223344556677", "eeprom_bytes": [256]})", "\"eeprom_bytes\""},
        {R"({"name": "X", "key": "0011223344556677", "ic_type": "77"})", "\"ic_type\""},
        {R"({"name": "X", "key": "0011223344556677",)", "line 1"},
    };
    for (const auto& c : cases) {
        const CliRun run = Pack(c.description);
        EXPECT_EQ(run.status, 4) << c.description;
        EXPECT_NE(run.err.find(c.complaint), std::string::npos) << run.err;
    }
}

TEST_F(CliFilesTest, TheNameIsStoredInGbkAndComesBackThroughInspect) {
    const struct {
        const char* name;
        const char* headerBytes;  // the name field's first bytes; nullptr: refused
        const char* complaint;
    } cases[] = {
        {"芯片名", "\xD0\xBE\xC6\xAC\xC3\xFB", ""},
        {"VT-Ω型", "VT-\xA6\xB8\xD0\xCD", ""},
        {"MAX-24-BYTES-NAME-芯片AB",
         "MAX-24-BYTES-NAME-\xD0\xBE\xC6\xAC"
         "AB",
         ""},
        {"smile 😀", nullptr, "GBK cannot hold"},
        {"FIFTEEN-CHARS-A芯", nullptr, "16th byte splits"},
        {"TWENTY-FIVE-BYTES-NAME-XY", nullptr, "at most 24"},
    };
    for (const auto& c : cases) {
        const CliRun pack =
            Pack(std::string(R"({"name": ")") + c.name + R"(", "key": "0011223344556677"})");
        if (c.headerBytes == nullptr) {
            EXPECT_EQ(pack.status, 4) << c.name;
            EXPECT_NE(pack.err.find(c.complaint), std::string::npos) << pack.err;
            continue;
        }
        ASSERT_EQ(pack.status, 0) << c.name << pack.err;
        auto file = std::make_unique<ControlFile>();
        ASSERT_EQ(LoadControlFile(dir.File(L"out.ctl"), *file), ControlFileResult::Ok);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(file->header)).substr(0, 24),
                  c.headerBytes);
        const CliRun inspect = RunCli({"inspect", "--json", Path(L"out.ctl")});
        Json json;
        std::string error;
        ASSERT_TRUE(ParseJson(inspect.out, json, error)) << error;
        // The IC name is the first 16 bytes.
        std::string expected = c.name;
        if (expected.size() > 22) expected = "MAX-24-BYTES-NAM";
        EXPECT_EQ(json["ic_name"], expected);
    }
}

TEST_F(CliFilesTest, ADescriptionMayStartWithAByteOrderMark) {
    const CliRun pack = Pack("\xEF\xBB\xBF{\"name\": \"BOM\", \"key\": \"0011223344556677\"}");
    EXPECT_EQ(pack.status, 0) << pack.err;
}

TEST_F(CliFilesTest, ControlCharactersOfAFileArePrintedEscaped) {
    ASSERT_EQ(Pack(R"({"name": "A\u001b]0;x\u0007\\\r2J", "key": "0011223344556677"})").status, 0);
    const CliRun text = RunCli({"inspect", Path(L"out.ctl")});
    EXPECT_TRUE(text.Printed("IC name: A\\x1B]0;x\\x07\\\\\\x0D2J")) << text.out;
    EXPECT_EQ(text.out.find('\x1b'), std::string::npos);
    const CliRun json = RunCli({"inspect", "--json", Path(L"out.ctl")});
    EXPECT_NE(json.out.find(R"("ic_name": "A\u001b]0;x\u0007\\)"), std::string::npos) << json.out;
}

TEST_F(CliFilesTest, AFileNameThatIsNotUtf8OpensThatFileAndNoOther) {
    // "\xFF" is not UTF-8; U+FFFD, what a lossy conversion would make of it, is
    // "\xEF\xBF\xBD". Both exist, with different IC names.
    const std::string folder = Path(L"");
    ASSERT_EQ(Pack(R"({"name": "RAW-FF", "key": "0011223344556677"})").status, 0);
    ASSERT_EQ(std::rename(Path(L"out.ctl").c_str(), (folder + "x-\xFF.ctl").c_str()), 0);
    ASSERT_EQ(Pack(R"({"name": "REPLACEMENT", "key": "0011223344556677"})").status, 0);
    ASSERT_EQ(std::rename(Path(L"out.ctl").c_str(), (folder + "x-\xEF\xBF\xBD.ctl").c_str()), 0);

    const CliRun run = RunCli({"inspect", folder + "x-\xFF.ctl"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.Printed("IC name: RAW-FF")) << run.out;
    EXPECT_TRUE(run.Printed("control file: " + folder + "x-\\xFF.ctl")) << run.out;
    // Written under such a name too, and read back from it.
    dir.Write(L"d.json", std::string(R"({"name": "OUT-FF", "key": "0011223344556677"})"));
    ASSERT_EQ(RunCli({"pack", Path(L"d.json"), "-o", folder + "y-\xFE.ctl"}).status, 0);
    EXPECT_TRUE(RunCli({"inspect", folder + "y-\xFE.ctl"}).Printed("IC name: OUT-FF"));
}

TEST_F(CliFilesTest, InspectJsonDescribesAPackedFile) {
    ASSERT_EQ(Pack(kFilesDescription).status, 0);
    const CliRun run = RunCli({"inspect", "--json", Path(L"out.ctl")});
    ASSERT_EQ(run.status, 0) << run.err;
    Json json;
    std::string error;
    ASSERT_TRUE(ParseJson(run.out, json, error)) << error << run.out;

    auto number = [&](const char* name) {
        EXPECT_TRUE(json.contains(name) && json[name].is_number_unsigned()) << name;
        return json.value(name, uint64_t{0});
    };
    auto text = [&](const char* name) {
        EXPECT_TRUE(json.contains(name) && json[name].is_string()) << name;
        return json.value(name, std::string());
    };
    EXPECT_EQ(text("ic_name"), "FILE-TEST");
    EXPECT_EQ(text("ic_type"), "5");
    EXPECT_EQ(number("program_words"), 4u);
    EXPECT_EQ(number("eeprom_count"), 2u);
    EXPECT_EQ(number("family_number"), 3u);
    EXPECT_EQ(number("command_family"), 3u);
    // Family 3: 11-bit words.
    EXPECT_EQ(number("low_mask"), 0x7Fu);
    EXPECT_EQ(number("high_shift"), 7u);
    EXPECT_EQ(number("high_mask"), 0x0Fu);
    EXPECT_EQ(number("family_tag"), 0x1Fu);
    EXPECT_EQ(number("pack_flag"), 1u);
    EXPECT_FALSE(json["asks_program_mode"].get<bool>());
    // Type '5' shows the ID characters first and a single space second.
    EXPECT_EQ(text("checksum_moe"), "ABCD");
    EXPECT_EQ(text("checksum_memory"), " ");
    EXPECT_TRUE(json["valid"].get<bool>());
    EXPECT_FALSE(json.contains("error"));
}

TEST_F(CliFilesTest, InspectDescribesAFileThatFailsItsChecksInTheDialogsWords) {
    ASSERT_EQ(Pack(kFilesDescription).status, 0);
    std::vector<uint8_t> bytes = ReadWholeFile(dir.File(L"out.ctl"));
    bytes[100] ^= 1;  // the data region: the second checksum no longer matches
    dir.Write(L"bad.ctl", bytes);
    const CliRun run = RunCli({"inspect", "--json", Path(L"bad.ctl")});
    EXPECT_EQ(run.status, 4);
    Json json;
    std::string error;
    ASSERT_TRUE(ParseJson(run.out, json, error)) << error;
    EXPECT_FALSE(json["valid"].get<bool>());
    EXPECT_EQ(json["error"], "第二次校验错误！");
    EXPECT_EQ(json["ic_name"], "FILE-TEST");
    EXPECT_TRUE(json["program_words"].is_null());

    // An EEPROM count the tool refuses: the decoding's own text.
    const CliRun big = Pack(R"({"name": "X", "key": "0011223344556677", "eeprom_count": 257})");
    ASSERT_EQ(big.status, 0) << big.err;
    const CliRun text = RunCli({"inspect", Path(L"out.ctl")});
    EXPECT_EQ(text.status, 4);
    EXPECT_TRUE(text.Printed("not valid: 数据错误：EERomSize 越界")) << text.out;
}

TEST_F(CliFilesTest, SealedFirmwareDeciphersToItsText) {
    std::vector<uint8_t> image(300);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 3);
    const std::string text = BuildIntelHex(image);
    dir.Write(L"fw.txt", text);
    const CliRun seal = RunCli({"seal", Path(L"fw.txt"), "--output", Path(L"fw.hex")});
    ASSERT_EQ(seal.status, 0) << seal.err;
    const std::vector<uint8_t> sealed = ReadWholeFile(dir.File(L"fw.hex"));
    EXPECT_EQ(sealed, SealFirmware(text));
    const std::string plain = DecipherFirmware(sealed.data(), sealed.size());
    ASSERT_GE(plain.size(), text.size());
    EXPECT_EQ(plain.substr(0, text.size()), text);

    const CliRun inspect = RunCli({"inspect", Path(L"fw.hex")});
    EXPECT_EQ(inspect.status, 0);
    EXPECT_TRUE(
        inspect.Printed("address range: 0x00000 - 0x0012B (the image holds 0x00000 - "
                        "0x10FFF)"))
        << inspect.out;
    EXPECT_TRUE(inspect.Printed("record checksums that do not match: 0")) << inspect.out;

    // Seal wants Intel HEX records to begin with.
    dir.Write(L"notes.txt", std::string("hello\n"));
    EXPECT_EQ(RunCli({"seal", Path(L"notes.txt"), "-o", Path(L"x.hex")}).status, 4);
}

// The interrupt handlers remove the file being written, and only while it is.
TEST_F(CliFilesTest, AnInterruptionLeavesNoUnfinishedFileBehind) {
    const std::wstring unfinished = dir.Write(L".vantrel-1-0.tmp", std::string("half"));
    cli::NoteUnfinishedFile(unfinished);
    cli::RemoveUnfinishedFile();
    EXPECT_TRUE(ReadWholeFile(unfinished).empty());

    const std::wstring kept = dir.Write(L"kept.ctl", std::string("whole"));
    cli::NoteUnfinishedFile(kept);
    cli::ForgetUnfinishedFile();
    std::wstring problem;
    ASSERT_TRUE(WriteOutputFile(dir.File(L"new.ctl"), {1, 2, 3}, {}, problem,
                                cli::InterruptionFileHooks()));
    cli::RemoveUnfinishedFile();
    EXPECT_EQ(ReadWholeFile(kept).size(), 5u);
    EXPECT_EQ(ReadWholeFile(dir.File(L"new.ctl")).size(), 3u);
}

}  // namespace
