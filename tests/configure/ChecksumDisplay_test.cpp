// The checksum texts after a successful configuration, and the IC name's text.

#include "configure/ChecksumDisplay.h"

#include <gtest/gtest.h>

#include <string>

#include "configure/AnsiText.h"

using namespace vantrel;

namespace {

struct Blocks {
    uint8_t id[26] = {};
    uint8_t proCheckSum[8] = {};
};

Blocks Sample() {
    Blocks b;
    b.id[12] = 'W';
    b.id[13] = 'X';
    b.id[14] = 'Y';
    b.id[15] = 'Z';
    b.id[11] = 'a';  // neighbours are not shown
    b.id[16] = 'b';
    b.proCheckSum[2] = 0xCD;
    b.proCheckSum[3] = 0xAB;
    return b;
}

}  // namespace

TEST(ChecksumDisplay, OtherTypesShowTheProgramChecksumAndTheIdCharacters) {
    const Blocks b = Sample();
    for (uint8_t type : {'2', '3', 'A', 'B', '4', '6'}) {
        const ChecksumTexts texts = FormatChecksumDisplay(type, b.id, b.proCheckSum);
        EXPECT_EQ(texts.first, L"ABCD") << type;
        EXPECT_EQ(texts.second, L"WXYZ") << type;
    }
}

TEST(ChecksumDisplay, TypeFiveShowsTheIdCharactersAndASingleSpace) {
    const Blocks b = Sample();
    const ChecksumTexts texts = FormatChecksumDisplay('5', b.id, b.proCheckSum);
    EXPECT_EQ(texts.first, L"WXYZ");
    EXPECT_EQ(texts.second, L" ");
}

TEST(ChecksumDisplay, HexDigitsAreUpperCaseWithLeadingZeros) {
    Blocks b = Sample();
    b.proCheckSum[2] = 0x0F;
    b.proCheckSum[3] = 0x00;
    EXPECT_EQ(FormatChecksumDisplay('2', b.id, b.proCheckSum).first, L"000F");
}

TEST(ChecksumDisplay, BytesFrom0x80AreSignExtendedToTheTopOfTheBasicPlane) {
    Blocks b = Sample();
    b.id[12] = 0x80;
    b.id[13] = 0xFF;
    b.id[14] = 0x7F;
    b.id[15] = 0xC1;
    const std::wstring expected = {static_cast<wchar_t>(0xFF80), static_cast<wchar_t>(0xFFFF),
                                   static_cast<wchar_t>(0x7F), static_cast<wchar_t>(0xFFC1)};
    EXPECT_EQ(FormatChecksumDisplay('5', b.id, b.proCheckSum).first, expected);
    EXPECT_EQ(FormatChecksumDisplay('2', b.id, b.proCheckSum).second, expected);
}

TEST(ChecksumDisplay, AZeroByteEndsTheCharacters) {
    Blocks b = Sample();
    b.id[14] = 0;
    EXPECT_EQ(FormatChecksumDisplay('2', b.id, b.proCheckSum).second, L"WX");
    b.id[12] = 0;
    EXPECT_EQ(FormatChecksumDisplay('5', b.id, b.proCheckSum).first, L"");
}

TEST(AnsiText, StopsAtTheFirstZeroOrAfterTheLimit) {
    const uint8_t full[17] = "ABCDEFGHIJKLMNOP";
    EXPECT_EQ(AnsiToWide(full, 16), L"ABCDEFGHIJKLMNOP");
    const uint8_t shortName[16] = {'N', '7', '6', 0, 'x', 'y'};
    EXPECT_EQ(AnsiToWide(shortName, 16), L"N76");
    const uint8_t empty[16] = {0, 'A', 'B'};
    EXPECT_EQ(AnsiToWide(empty, 16), L"");
}

#ifndef _WIN32
TEST(AnsiText, ChineseNamesReadAsGbkAndInvalidBytesAsLatin1) {
    const uint8_t gbk[16] = {0xD6, 0xD0, 0xCE, 0xC4, '1', '2'};  // 中文12
    EXPECT_EQ(AnsiToWide(gbk, 16), L"中文12");
    const uint8_t invalid[16] = {'X', 0xFF, 0x80};  // not GBK
    EXPECT_EQ(AnsiToWide(invalid, 16), (std::wstring{L'X', 0xFF, 0x80}));
    const uint8_t cutLead[16] = {'Y', 0xD6};  // a lead byte without its trail
    EXPECT_EQ(AnsiToWide(cutLead, 2), (std::wstring{L'Y', 0xD6}));
}
#endif
