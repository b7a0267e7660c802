// vantrel-cli's file commands: pack builds a control file that the tool's own
// reader accepts with the described items, seal makes a firmware file that
// deciphers to the text, and inspect describes both without a writer.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/VantrelCore.h"
#include "cli/FirmwareReport.h"
#include "cli/Json.h"
#include "configure/ControlFile.h"
#include "link/NullHidPlatform.h"
#include "tests/cli/RunCli.h"
#include "tests/support/RecordingView.h"
#include "tests/support/TempDir.h"
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
        EXPECT_EQ(run.status, 1) << c.description;
        EXPECT_NE(run.err.find(c.complaint), std::string::npos) << run.err;
    }
}

TEST_F(CliFilesTest, InspectJsonDescribesAPackedFile) {
    ASSERT_EQ(Pack(kFilesDescription).status, 0);
    const CliRun run = RunCli({"inspect", "--json", Path(L"out.ctl")});
    ASSERT_EQ(run.status, 0) << run.err;
    cli::JsonValue json;
    std::string error;
    ASSERT_TRUE(cli::ParseJson(run.out, json, error)) << error << run.out;

    auto number = [&](const char* name) {
        uint64_t value = 0;
        const cli::JsonValue* member = json.Find(name);
        EXPECT_TRUE(member != nullptr && member->AsUnsigned(value)) << name;
        return value;
    };
    auto text = [&](const char* name) {
        const cli::JsonValue* member = json.Find(name);
        EXPECT_TRUE(member != nullptr && member->type == cli::JsonValue::Type::String) << name;
        return member != nullptr ? member->text : std::string();
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
    EXPECT_FALSE(json.Find("asks_program_mode")->boolean);
    // Type '5' shows the ID characters first and a single space second.
    EXPECT_EQ(text("checksum_moe"), "ABCD");
    EXPECT_EQ(text("checksum_memory"), " ");
    EXPECT_TRUE(json.Find("valid")->boolean);
    EXPECT_EQ(json.Find("error"), nullptr);
}

TEST_F(CliFilesTest, InspectDescribesAFileThatFailsItsChecksInTheDialogsWords) {
    ASSERT_EQ(Pack(kFilesDescription).status, 0);
    std::vector<uint8_t> bytes = ReadWholeFile(dir.File(L"out.ctl"));
    bytes[100] ^= 1;  // the data region: the second checksum no longer matches
    dir.Write(L"bad.ctl", bytes);
    const CliRun run = RunCli({"inspect", "--json", Path(L"bad.ctl")});
    EXPECT_EQ(run.status, 1);
    cli::JsonValue json;
    std::string error;
    ASSERT_TRUE(cli::ParseJson(run.out, json, error)) << error;
    EXPECT_FALSE(json.Find("valid")->boolean);
    EXPECT_EQ(json.Find("error")->text, "第二次校验错误！");
    EXPECT_EQ(json.Find("ic_name")->text, "FILE-TEST");
    EXPECT_TRUE(json.Find("program_words")->IsNull());

    // An EEPROM count the tool refuses: the decoding's own text.
    const CliRun big = Pack(R"({"name": "X", "key": "0011223344556677", "eeprom_count": 257})");
    ASSERT_EQ(big.status, 0) << big.err;
    const CliRun text = RunCli({"inspect", Path(L"out.ctl")});
    EXPECT_EQ(text.status, 1);
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
    const std::string plain = cli::DecipherFirmware(sealed);
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
    EXPECT_EQ(RunCli({"seal", Path(L"notes.txt"), "-o", Path(L"x.hex")}).status, 1);
}

}  // namespace
