// The family table, the command-family byte and the IC types that ask for the
// programming mode.

#include "configure/IcRules.h"

#include <gtest/gtest.h>

#include <string>

using namespace vantrel;

TEST(WordPacking, EachFamilyNumberOfTheTableHasItsOwnEntry) {
    EXPECT_EQ(LookUpWordPacking(3), (WordPacking{0x7F, 7, 0x0F, 0x1F, 1}));
    EXPECT_EQ(LookUpWordPacking(4), (WordPacking{0x7F, 7, 0x3F, 0x1F, 1}));
    EXPECT_EQ(LookUpWordPacking(5), (WordPacking{0xFF, 8, 0x7F, 0x1F, 0}));
    EXPECT_EQ(LookUpWordPacking(6), (WordPacking{0xFF, 8, 0xFF, 0x1F, 0}));
    EXPECT_EQ(LookUpWordPacking(7), (WordPacking{0xFF, 8, 0x3F, 0x1F, 0}));
    EXPECT_EQ(LookUpWordPacking(8), (WordPacking{0x7F, 7, 0x7F, 0xE0, 1}));
    EXPECT_EQ(LookUpWordPacking(9), (WordPacking{0xFF, 8, 0x3F, 0x1F, 0}));
    EXPECT_EQ(LookUpWordPacking(10), (WordPacking{0xFF, 8, 0x3F, 0x1F, 0}));
}

TEST(WordPacking, NumbersOutsideTheTableTakeTheDefaultEntry) {
    for (int32_t family : {0, 1, 2, 11, 53, -1, INT32_MIN, INT32_MAX, 0x103})
        EXPECT_EQ(LookUpWordPacking(family), (WordPacking{0x7F, 7, 0x7F, 0x1F, 1})) << family;
}

TEST(IcRules, OnlyTypesThreeAndFiveUseCommandFamilyThree) {
    for (int c = 0; c < 256; ++c) {
        const uint8_t expected = (c == '3' || c == '5') ? 3 : 2;
        EXPECT_EQ(CommandFamilyFor(static_cast<uint8_t>(c)), expected) << c;
    }
}

TEST(IcRules, ExactlyTheListedTypesAskForTheProgrammingMode) {
    const std::string asked = "79:;<=>?@AFIKLMNP";
    for (int c = 0; c < 256; ++c) {
        const bool expected = asked.find(static_cast<char>(c)) != std::string::npos && c != 0;
        EXPECT_EQ(AsksProgramMode(static_cast<uint8_t>(c)), expected) << c;
    }
}
