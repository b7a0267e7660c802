// The firmware image reader: field values, page checksums, the deciphering step,
// the record rules of the parser, the soundness check, and LoadFirmwareImage.

#include "upgrade/FirmwareImage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/VantrelCore.h"
#include "cipher/Des.h"
#include "link/NullHidPlatform.h"
#include "tests/support/RecordingView.h"
#include "tests/support/TempDir.h"
#include "upgrade/FirmwareCheck.h"
#include "upgrade/FirmwareDecoding.h"
#include "upgrade/FirmwareSealer.h"
#include "upgrade/IntelHexParser.h"
#include "upgrade/IntelHexWriter.h"

using namespace vantrel;
using vantrel::NullHidPlatform;
using vantrel::test::RecordingView;
using vantrel::test::TempDir;

namespace {

uint32_t Field(const std::string& text) { return HexFieldValue(text.data(), text.size()); }

std::vector<uint8_t> RandomImage(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> image(size);
    for (uint8_t& byte : image) byte = static_cast<uint8_t>(random());
    return image;
}

TEST(FirmwareImage, FirmwareKeyIsTheEightCharacters) {
    EXPECT_EQ(std::memcmp(kFirmwareKey, "40715263", 8), 0);
}

TEST(FirmwareImage, HexFieldValueCountsOnlyUpperCaseDigits) {
    EXPECT_EQ(Field("0A"), 0x0Au);
    EXPECT_EQ(Field("FF"), 0xFFu);
    EXPECT_EQ(Field("ab"), 0x00u);  // lower case reads as zero digits
    EXPECT_EQ(Field("1a"), 0x10u);
    EXPECT_EQ(Field(" 1"), 0x01u);
    EXPECT_EQ(Field("G9"), 0x09u);
    EXPECT_EQ(Field(""), 0u);
    EXPECT_EQ(Field("12345") & 0xFFFF, 0x2345u);  // low 16 bits: the last four characters
    EXPECT_EQ(Field("FEDCBA9876543210") & 0xFFFF, 0x3210u);
}

TEST(FirmwareImage, PageChecksumSumsLittleEndianWords) {
    std::vector<uint8_t> page(kPageSize, 0);
    page[0] = 0x01, page[1] = 0x02, page[2] = 0x03, page[3] = 0x04;
    page[508] = 0x10;
    EXPECT_EQ(PageChecksum(page.data()), 0x04030211u);
    std::fill(page.begin(), page.end(), 0xFF);
    EXPECT_EQ(PageChecksum(page.data()), 0xFFFFFF80u);  // 128 × 0xFFFFFFFF, modulo 2^32
}

// ---- The deciphering step -------------------------------------------------------

class DecipherTest : public ::testing::Test {
protected:
    std::vector<uint8_t> Decipher(const std::vector<uint8_t>& sealed) {
        const std::string text = DecipherFirmware(sealed.data(), sealed.size());
        return std::vector<uint8_t>(text.begin(), text.end());
    }
    std::vector<uint8_t> Plain(const uint8_t block[8]) {
        CDes des;
        des.SetKey(kFirmwareKey);
        des.DecryptBlock(block);
        return std::vector<uint8_t>(des.m_decryptedBlock, des.m_decryptedBlock + 8);
    }
};

TEST_F(DecipherTest, SealedTextComesBackBlockForBlock) {
    const std::string text = BuildIntelHex(RandomImage(20000, 1));
    std::vector<uint8_t> plain = Decipher(SealFirmware(text));
    ASSERT_EQ(plain.size(), (text.size() + 7) / 8 * 8);
    EXPECT_EQ(std::string(plain.begin(), plain.begin() + text.size()), text);
    EXPECT_TRUE(
        std::all_of(plain.begin() + text.size(), plain.end(), [](uint8_t b) { return b == 0; }));
}

TEST_F(DecipherTest, EmptyFileGivesNothing) { EXPECT_TRUE(Decipher({}).empty()); }

TEST_F(DecipherTest, ShortLastBlockKeepsThePreviousCiphertext) {
    const std::vector<uint8_t> sealed = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99};
    const std::vector<uint8_t> plain = Decipher(sealed);
    ASSERT_EQ(plain.size(), 16u);
    const uint8_t second[8] = {0x99, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
    EXPECT_EQ(std::vector<uint8_t>(plain.begin(), plain.begin() + 8), Plain(sealed.data()));
    EXPECT_EQ(std::vector<uint8_t>(plain.begin() + 8, plain.end()), Plain(second));

    // With no block before it, the short block is filled with zeros.
    const uint8_t alone[8] = {0xAB, 0xCD, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(Decipher({0xAB, 0xCD}), Plain(alone));
}

TEST_F(DecipherTest, ShortBlockAfterManyBlocksUsesTheLastWholeBlock) {
    std::vector<uint8_t> sealed = RandomImage(64 * 1024 + 3, 2);
    const std::vector<uint8_t> plain = Decipher(sealed);
    ASSERT_EQ(plain.size(), 64u * 1024 + 8);
    uint8_t last[8];
    std::memcpy(last, &sealed[64 * 1024 - 8], 8);
    std::memcpy(last, &sealed[64 * 1024], 3);
    EXPECT_EQ(std::vector<uint8_t>(plain.end() - 8, plain.end()), Plain(last));
}

// ---- The record rules ------------------------------------------------------------

class IntelHexParserTest : public ::testing::Test {
protected:
    // Parses into an image that starts as 0xEE everywhere, so stored zeros show.
    void Parse(const std::string& text) {
        image.assign(kFirmwareImageSize, 0xEE);
        dropped = ParseIntelHex(text, image.data());
    }
    std::vector<uint8_t> At(size_t address, size_t count) const {
        return std::vector<uint8_t>(image.begin() + address, image.begin() + address + count);
    }
    size_t ChangedBytes() const {
        return static_cast<size_t>(
            std::count_if(image.begin(), image.end(), [](uint8_t b) { return b != 0xEE; }));
    }
    std::vector<uint8_t> image;
    uint64_t dropped = 0;
};

TEST_F(IntelHexParserTest, DataRecordStoresAtItsOffsetWhateverItsChecksum) {
    Parse(":0401000001020304F2\n:02020000AABB00\n");
    EXPECT_EQ(At(0x100, 4), (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(At(0x200, 2), (std::vector<uint8_t>{0xAA, 0xBB}));
    EXPECT_EQ(ChangedBytes(), 6u);
}

TEST_F(IntelHexParserTest, LinearAddressMovesIntoTheSecond64KiB) {
    Parse(":020000040001F9\r\n:0400000001020304F2\r\n");
    EXPECT_EQ(At(65536, 4), (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(ChangedBytes(), 4u);
}

TEST_F(IntelHexParserTest, SegmentAddressCountsSixteenfold) {
    Parse(":020000021000EC\n:01001000AB44\n");
    EXPECT_EQ(image[0x10010], 0xAB);
    EXPECT_EQ(ChangedBytes(), 1u);
}

TEST_F(IntelHexParserTest, SegmentAndLinearValuesAreIndependentAndStayInForce) {
    Parse(
        ":020000020100FB\n"  // S = 0x0100
        ":020000040000FA\n"  // L = 0: S still in force
        ":0100000011EE\n"    // 0x1000
        ":020000020010EC\n"  // S = 0x0010
        ":020000040001F9\n"  // L = 1
        ":0100000022DD\n"    // 0x10000 + 0x100
        ":020000020000FC\n"  // S = 0: L still in force
        ":0100050033C7\n"    // 0x10005
        ":020000021000EC\n"  // S = 0x1000: 0x10000 + 0x10000 lies outside
        ":0100000044BB\n");
    EXPECT_EQ(image[0x1000], 0x11);
    EXPECT_EQ(image[0x10100], 0x22);
    EXPECT_EQ(image[0x10005], 0x33);
    EXPECT_EQ(ChangedBytes(), 3u);
    EXPECT_EQ(dropped, 1u);
}

TEST_F(IntelHexParserTest, LowerCaseAndOtherCharactersReadAsZeroDigits) {
    Parse(":02000000ab1a00\n");
    EXPECT_EQ(At(0, 2), (std::vector<uint8_t>{0x00, 0x10}));
    Parse(":0100000x5500\n");  // type "0x" reads as 00
    EXPECT_EQ(image[0], 0x55);
}

TEST_F(IntelHexParserTest, ShortLineStoresZerosForMissingCharacters) {
    // 16 bytes declared, the line ends 10 characters after position 9.
    Parse(":100000001122334455\n");
    EXPECT_EQ(At(0, 16), (std::vector<uint8_t>{0x11, 0x22, 0x33, 0x44, 0x55, 0, 0, 0, 0, 0, 0, 0, 0,
                                               0, 0, 0}));
    EXPECT_EQ(image[16], 0xEE);
    Parse(":10000000112233445\n");  // an odd last character is a one-digit field
    EXPECT_EQ(At(0, 5), (std::vector<uint8_t>{0x11, 0x22, 0x33, 0x44, 0x05}));
    Parse(":1\n");  // count 1, everything else empty: one zero at address 0
    EXPECT_EQ(image[0], 0x00);
    EXPECT_EQ(ChangedBytes(), 1u);
    Parse("\n\n:\n");
    EXPECT_EQ(ChangedBytes(), 0u);
}

TEST_F(IntelHexParserTest, OtherRecordTypesChangeNothing) {
    Parse(
        ":020000040001F9\n"
        ":0400000300003800C1\n"
        ":04000005000000CD2A\n"
        ":020000030001FA\n"
        ":01000000AA55\n");
    EXPECT_EQ(image[0x10000], 0xAA);  // types 03 and 05 left L alone and set nothing
    EXPECT_EQ(ChangedBytes(), 1u);
}

TEST_F(IntelHexParserTest, NothingAfterTheEndRecordIsParsed) {
    Parse(":0100000011EE\n:00000001FF\n:0100010022DC\n");
    EXPECT_EQ(image[0], 0x11);
    EXPECT_EQ(image[1], 0xEE);
    Parse(":00000001FF");  // no line end after it
    EXPECT_EQ(ChangedBytes(), 0u);
}

TEST_F(IntelHexParserTest, LineEndsCrLfAndLfReadAlike) {
    const std::string lf = ":0401000001020304F2\n:02000000ABCD00\n:0100FF0077EE";
    std::string crlf;
    for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    Parse(lf);
    const std::vector<uint8_t> fromLf = image;
    Parse(crlf);
    EXPECT_EQ(image, fromLf);
    EXPECT_EQ(image[0xFF], 0x77);  // a last line without a line end is parsed
    // A CR that is not right before the LF is an ordinary character.
    Parse(":02000000A\rBC00\n");
    EXPECT_EQ(At(0, 2), (std::vector<uint8_t>{0xA0, 0xBC}));
    // Ctrl-Z and NUL do not end the text.
    Parse(std::string(":0100000011EE\n\x1A\n", 16) + '\0' + "\n:0100010022DC\n");
    EXPECT_EQ(At(0, 2), (std::vector<uint8_t>{0x11, 0x22}));
}

TEST_F(IntelHexParserTest, TextSplitAnywhereParsesTheSame) {
    // Records of the longest kind (255 bytes, 521 characters before the CR LF).
    const std::string text =
        BuildIntelHex(RandomImage(3000, 3), {.baseAddress = 0xFF00, .bytesPerRecord = 255});
    Parse(text);
    const std::vector<uint8_t> whole = image;
    image.assign(kFirmwareImageSize, 0xEE);
    IntelHexParser parser(image.data());
    for (size_t at = 0; at < text.size(); at += 7)
        parser.Feed(text.data() + at, std::min<size_t>(7, text.size() - at));
    parser.Finish();
    EXPECT_EQ(image, whole);
    EXPECT_TRUE(parser.Ended());
    EXPECT_TRUE(parser.Check().Sound()) << FirmwareProblemText(parser.Check().problems.front());
    EXPECT_EQ(parser.Check().lines, CheckFirmwareText(text).lines);
}

TEST_F(IntelHexParserTest, VeryLongLinesAreReadUpToTheirUsefulPart) {
    std::string line = ":02000000ABCD";
    line += std::string(5000, 'F');
    Parse(line + "\r\n:0100100099EE\r\n");
    EXPECT_EQ(At(0, 2), (std::vector<uint8_t>{0xAB, 0xCD}));
    EXPECT_EQ(image[0x10], 0x99);
}

TEST_F(IntelHexParserTest, AddressesOutsideTheImageAreDropped) {
    // Straddling the end: two bytes stored, two dropped.
    Parse(":020000040001F9\n:040FFE0001020304DC\n:04FFFE00010203040A\n");
    EXPECT_EQ(At(0x10FFE, 2), (std::vector<uint8_t>{1, 2}));
    EXPECT_EQ(dropped, 2u + 4u);
    EXPECT_EQ(ChangedBytes(), 2u);

    // Values that would wrap a 32-bit address back to 0 are dropped too.
    Parse(":020000021000EC\n:02000004FFFFFC\n:0400000001020304F2\n");
    EXPECT_EQ(dropped, 4u);
    EXPECT_EQ(ChangedBytes(), 0u);
    Parse(":02000002FFFFFC\n:10FFFF00000102030405060708090A0B0C0D0E0F00\n");
    EXPECT_EQ(dropped, 16u);
    EXPECT_EQ(ChangedBytes(), 0u);
}

// ---- The soundness check ---------------------------------------------------------

using Problems = std::vector<FirmwareProblem>;
constexpr auto kNotARecord = FirmwareProblemKind::NotARecord;
constexpr auto kBadCharacter = FirmwareProblemKind::BadCharacter;
constexpr auto kWrongLength = FirmwareProblemKind::WrongLength;
constexpr auto kWrongChecksum = FirmwareProblemKind::WrongChecksum;
constexpr auto kNoEndRecord = FirmwareProblemKind::NoEndRecord;
constexpr auto kNoDataInImage = FirmwareProblemKind::NoDataInImage;

TEST(FirmwareCheck, FindsEveryProblemWithItsLine) {
    const std::string data = ":0100000011EE\r\n";
    const std::string end = ":00000001FF\r\n";
    const struct {
        const char* what;
        std::string text;
        Problems problems;
    } cases[] = {
        {"sound", data + "\r\n" + end, {}},
        {"LF line ends, then anything after the end record",
         ":01000000AB54\n" + end + "junk\n",
         {}},
        {"a line that is no record", data + "hello\r\n" + end, {{kNotARecord, 2}}},
        {"wrong checksum", data + ":0100010022DD\r\n" + end, {{kWrongChecksum, 2}}},
        {"byte count above the line", ":0200000011EE\r\n" + end, {{kWrongLength, 1}}},
        {"byte count below the line", ":0100000011EE00\r\n" + end, {{kWrongLength, 1}}},
        {"a bare colon", data + ":\r\n" + end, {{kWrongLength, 2}}},
        {"lower case, checksum right", ":01000000ab54\r\n" + end, {{kBadCharacter, 1}}},
        {"lower case, checksum wrong",
         ":01000000ab55\r\n" + end,
         {{kBadCharacter, 1}, {kWrongChecksum, 1}}},
        {"a blank inside", ":01000000 B54\r\n" + end, {{kBadCharacter, 1}}},
        {"a lone CR inside", ":01000000A\rB54\n" + end, {{kBadCharacter, 1}, {kWrongLength, 1}}},
        {"cut before the end record", data, {{kNoEndRecord, 0}}},
        {"cut, with the zero padding of the last block",
         data + std::string(5, '\0'),
         {{kNoEndRecord, 0}}},
        {"an end record without a line end, padded",
         data + ":00000001FF" + std::string(5, '\0'),
         {}},
        {"data only outside the image", ":020000040002F8\r\n" + data + end, {{kNoDataInImage, 0}}},
        {"empty", "", {{kNoEndRecord, 0}, {kNoDataInImage, 0}}},
        {"noise",
         "\x7f\x13\xa0\nxyz",
         {{kNotARecord, 1}, {kNotARecord, 2}, {kNoEndRecord, 0}, {kNoDataInImage, 0}}},
    };
    for (const auto& c : cases) {
        const FirmwareCheck check = CheckFirmwareText(c.text);
        EXPECT_EQ(check.problems, c.problems) << c.what;
        EXPECT_EQ(check.problemCount, c.problems.size()) << c.what;
        EXPECT_EQ(check.Sound(), c.problems.empty()) << c.what;
    }
}

TEST(FirmwareCheck, CountsRecordsAddressesAndWhatIsDroppedOrIgnored) {
    const FirmwareCheck check = CheckFirmwareText(
        ":020000040001F9\r\n"      // linear 0x0001
        ":0400000001020304F2\r\n"  // 0x10000-0x10003
        ":020000021000EC\r\n"      // segment 0x1000 adds 0x10000
        ":02001000AABB89\r\n"      // 0x10000 + 0x10000 + 0x10: outside
        ":00000006FA\r\n"          // an unknown type
        ":00000001FF\r\n"
        ":0400000001020304F2\r\n");  // after the end: never read
    EXPECT_TRUE(check.Sound());
    EXPECT_EQ(check.lines, 6u);
    EXPECT_EQ(check.records, 6u);
    EXPECT_EQ(check.dataRecords, 2u);
    EXPECT_EQ(check.dataBytes, 6u);
    EXPECT_TRUE(check.endRecord);
    EXPECT_EQ(check.lowestAddress, 0x10000u);
    EXPECT_EQ(check.highestAddress, 0x10003u);
    EXPECT_EQ(check.bytesOutsideImage, 2u);
    const std::vector<FirmwareNote> notes = {{FirmwareNoteKind::BytesOutsideImage, 4, 2},
                                             {FirmwareNoteKind::IgnoredRecordType, 5, 6}};
    EXPECT_EQ(check.notes, notes);
}

TEST(FirmwareCheck, KeepsAThousandProblemsAndCountsTheRest) {
    std::string text;
    for (int i = 0; i < 1500; ++i) text += "x\n";
    const FirmwareCheck check = CheckFirmwareText(text);
    EXPECT_EQ(check.problems.size(), FirmwareCheck::kMaxKept);
    EXPECT_EQ(check.problemCount, 1502u);
    EXPECT_EQ(check.problems.back(), (FirmwareProblem{kNotARecord, 1000}));
}

TEST(FirmwareCheck, ProblemsInTheToolsWords) {
    EXPECT_EQ(FirmwareRefusalText({kNotARecord, 3}), L"固件文件无效：第3行不是Intel HEX记录！");
    EXPECT_EQ(FirmwareProblemText({kBadCharacter, 12}), L"第12行含有非大写十六进制字符");
    EXPECT_EQ(FirmwareProblemText({kWrongLength, 4}), L"第4行记录长度与字节数不符");
    EXPECT_EQ(FirmwareProblemText({kWrongChecksum, 7}), L"第7行记录校验和错误");
    EXPECT_EQ(FirmwareProblemText({kNoEndRecord, 0}), L"没有文件结束记录");
    EXPECT_EQ(FirmwareProblemText({kNoDataInImage, 0}), L"APROM范围内没有数据");
}

// ---- LoadFirmwareImage -------------------------------------------------------------

class LoadFirmwareImageTest : public ::testing::Test {
protected:
    bool Load(const std::wstring& path) { return core.LoadFirmwareImage(path, image.data()); }
    bool LoadSealed(const std::string& text) {
        return Load(dir.Write(L"writer.hex", SealFirmware(text)));
    }
    // The error pane's text, then the box.
    void ExpectRefusal(const std::wstring& pane, const std::wstring& box) {
        const std::vector<test::ViewEvent> expected = {
            {test::ViewEvent::Pane, kPaneError, pane, L"", 0},
            {test::ViewEvent::Message, 0, box, L"Message", kMbSystemModal}};
        EXPECT_EQ(view.Events(), expected);
        EXPECT_EQ(image, std::vector<uint8_t>(kFirmwareImageSize, 0x5A));  // untouched
    }

    TempDir dir;
    RecordingView view;
    VirtualClock clock;
    NullHidPlatform platform;
    CVantrelCore core{view, clock, platform};
    std::vector<uint8_t> image = std::vector<uint8_t>(kFirmwareImageSize, 0x5A);
};

TEST_F(LoadFirmwareImageTest, WholeImageRoundTripsAndNothingElseIsWritten) {
    const std::vector<uint8_t> expected = RandomImage(kFirmwareImageSize, 4);
    for (const char* lineEnd : {"\r\n", "\n"}) {
        ASSERT_TRUE(LoadSealed(BuildIntelHex(expected, {.lineEnd = lineEnd})));
        EXPECT_EQ(image, expected);
        EXPECT_EQ(dir.Entries(), std::vector<std::wstring>{L"writer.hex"});
    }
    EXPECT_TRUE(view.Events().empty());
    EXPECT_FALSE(core.m_bFirmwareRefused);
}

TEST_F(LoadFirmwareImageTest, PartialImageLeavesTheRestZero) {
    std::vector<uint8_t> firstTenK = RandomImage(10 * 1024, 5);
    ASSERT_TRUE(LoadSealed(BuildIntelHex(firstTenK)));
    EXPECT_TRUE(std::equal(firstTenK.begin(), firstTenK.end(), image.begin()));
    EXPECT_TRUE(std::all_of(image.begin() + firstTenK.size(), image.end(),
                            [](uint8_t b) { return b == 0; }));
}

TEST_F(LoadFirmwareImageTest, UnsoundFileIsRefusedWithItsFirstProblem) {
    EXPECT_FALSE(LoadSealed(":0100000011EE\r\n:0100010022DD\r\n"));
    ExpectRefusal(L"固件文件无效!", L"固件文件无效：第2行记录校验和错误！");
    EXPECT_TRUE(core.m_bFirmwareRefused);
}

TEST_F(LoadFirmwareImageTest, SkippingTheCheckLoadsWhatTheTextSays) {
    core.m_bSkipFirmwareCheck = TRUE;
    ASSERT_TRUE(LoadSealed(":0100000011EE\r\n:01000100ab00\r\n"));
    EXPECT_EQ(image[0], 0x11);
    EXPECT_EQ(image[1], 0x00);  // lower case reads as zero digits
    EXPECT_TRUE(view.Events().empty());
    EXPECT_FALSE(core.m_bFirmwareRefused);
}

TEST_F(LoadFirmwareImageTest, FileThatCannotBeReadShowsTheTextAndTheBox) {
    EXPECT_FALSE(Load(dir.File(L"absent.hex")));
    ExpectRefusal(L"源文件不能打开", L"源文件不能打开");
    view.Clear();
    EXPECT_FALSE(Load(dir.MakeDir(L"folder.hex")));
    ExpectRefusal(L"源文件不能打开", L"源文件不能打开");
    EXPECT_FALSE(core.m_bFirmwareRefused);
}

TEST_F(LoadFirmwareImageTest, WidePathWithChineseFolder) {
    dir.MakeDir(L"固件");
    const std::wstring path = dir.Write(
        L"固件/烧录器.hex", SealFirmware(":020000040001F9\n:0400000001020304F2\n:00000001FF\n"));
    ASSERT_TRUE(Load(path));
    EXPECT_EQ(std::vector<uint8_t>(image.begin() + 65536, image.begin() + 65540),
              (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_FALSE(test::FileExists(path + L".hex"));
}

}  // namespace
