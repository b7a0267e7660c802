// Deciphering a checked control file into the configuration record.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "app/VantrelCore.h"
#include "sim/SimWriter.h"
#include "tests/configure/ConfigureFiles.h"
#include "tests/support/RecordingView.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

std::vector<uint8_t> Bytes(const uint8_t* from, size_t count) {
    return std::vector<uint8_t>(from, from + count);
}

void SetCounts(ControlFileContents& c, uint16_t words, uint16_t entries) {
    c.fillDescriptorCounts = false;
    c.icDescriptor[5] = static_cast<uint8_t>(words);
    c.icDescriptor[6] = static_cast<uint8_t>(words >> 8);
    c.icDescriptor[7] = static_cast<uint8_t>(entries);
    c.icDescriptor[8] = static_cast<uint8_t>(entries >> 8);
}

class DecodeConfigurationTest : public ::testing::Test {
protected:
    RecordingView view;
    VirtualClock clock;
    sim::SimWriter writer{clock, {}};  // decoding never talks to it
    std::unique_ptr<CVantrelCore> owner =
        std::make_unique<CVantrelCore>(view, clock, writer.Platform());
    CVantrelCore& core = *owner;
};

}  // namespace

TEST_F(DecodeConfigurationTest, EveryItemLandsInItsMember) {
    const ControlFileContents c = SampleContents('2', 100, 20, 4);
    ASSERT_TRUE(core.DecodeConfiguration(*Sealed(c)));
    EXPECT_TRUE(view.Events().empty());
    EXPECT_EQ(core.m_nProgramWords, 100);
    EXPECT_EQ(core.m_nEepromCount, 20);
    EXPECT_EQ(core.m_icDescriptor[9], '2');
    EXPECT_EQ(Bytes(core.m_icDescriptor, 5), Bytes(c.icDescriptor, 5));
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(core.m_programImage[2 * i], c.programWords[i] & 0xFF);
        EXPECT_EQ(core.m_programImage[2 * i + 1], c.programWords[i] >> 8);
    }
    EXPECT_EQ(Bytes(core.m_eepromImage, 20), c.eepromBytes);
    EXPECT_EQ(Bytes(core.m_optionBlock, 44), Bytes(c.optionBlock, 44));
    EXPECT_EQ(Bytes(core.m_icParamBlock, 16), Bytes(c.icParam, 16));
    EXPECT_EQ(Bytes(core.m_snBlock, 34), Bytes(c.sn, 34));
    EXPECT_EQ(Bytes(core.m_passBlock, 8), Bytes(c.pass, 8));
    EXPECT_EQ(Bytes(core.m_idBlock, 26), Bytes(c.id, 26));
    EXPECT_EQ(Bytes(core.m_proCheckSum, 8), Bytes(c.proCheckSum, 8));
    EXPECT_EQ(Bytes(core.m_inrcSet, 5), Bytes(c.inrcSet, 5));
    EXPECT_EQ(core.m_leve, 0x5A);
    EXPECT_EQ(core.m_nLowMask, 0x7F);  // family 4: 13-bit words
    EXPECT_EQ(core.m_nHighShift, 7);
    EXPECT_EQ(core.m_nHighMask, 0x3F);
    EXPECT_EQ(core.m_nFamilyTag, 0x1F);
    EXPECT_EQ(core.m_nPackFlag, 1);
    EXPECT_EQ(core.m_nCommandFamily, 2);
}

TEST_F(DecodeConfigurationTest, ProgramImageIsDecipheredInWholeChunksBelowTheCount) {
    std::memset(core.m_programImage, 0x77, sizeof core.m_programImage);
    ASSERT_TRUE(core.DecodeConfiguration(*Sealed(SampleContents('2', 33, 0))));
    // 33 words = 66 bytes: two chunks; the file's padding after word 32 is zero.
    EXPECT_EQ(core.m_programImage[64], 0x20);  // word 32 = 0x3000 + 32 * 0x0101
    EXPECT_EQ(core.m_programImage[65], 0x50);
    EXPECT_EQ(core.m_programImage[127], 0x00);
    EXPECT_EQ(core.m_programImage[128], 0x77);

    std::memset(core.m_programImage, 0x77, sizeof core.m_programImage);
    ASSERT_TRUE(core.DecodeConfiguration(*Sealed(SampleContents('2', 0, 0))));
    EXPECT_EQ(core.m_programImage[0], 0x77);
}

TEST_F(DecodeConfigurationTest, EepromCountsUpTo256AreTakenAndZeroLeavesTheImage) {
    std::vector<uint8_t> all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<uint8_t>(255 - i);
    ControlFileContents c = SampleContents();
    c.eepromBytes = all;
    ASSERT_TRUE(core.DecodeConfiguration(*Sealed(c)));
    EXPECT_EQ(core.m_nEepromCount, 256);
    EXPECT_EQ(Bytes(core.m_eepromImage, 256), all);

    // Fewer entries overwrite only their own bytes; none leaves the image alone.
    ASSERT_TRUE(core.DecodeConfiguration(*Sealed(SampleContents('2', 10, 3))));
    EXPECT_EQ(Bytes(core.m_eepromImage, 4), (std::vector<uint8_t>{0x40, 0x41, 0x42, 252}));
    ASSERT_TRUE(core.DecodeConfiguration(*Sealed(SampleContents('2', 10, 0))));
    EXPECT_EQ(core.m_nEepromCount, 0);
    EXPECT_EQ(Bytes(core.m_eepromImage, 4), (std::vector<uint8_t>{0x40, 0x41, 0x42, 252}));
    EXPECT_TRUE(view.Messages().empty());
}

TEST_F(DecodeConfigurationTest, Eeprom257IsRefusedAfterTheProgramImage) {
    ControlFileContents c = SampleContents('2', 40, 0);
    SetCounts(c, 40, 257);
    std::memset(core.m_optionBlock, 0x99, sizeof core.m_optionBlock);
    EXPECT_FALSE(core.DecodeConfiguration(*Sealed(c)));
    ASSERT_EQ(view.Events().size(), 1u);
    EXPECT_EQ(view.Events()[0], (ViewEvent{ViewEvent::Message, 0, L"数据错误：EERomSize 越界",
                                           L"Message", kMbSystemModal}));
    EXPECT_EQ(core.m_nEepromCount, 257);
    EXPECT_EQ(core.m_programImage[0], 0x00);  // word 0 = 0x3000, already deciphered
    EXPECT_EQ(core.m_programImage[1], 0x30);
    EXPECT_EQ(core.m_optionBlock[0], 0x99);  // nothing after the check
}

TEST_F(DecodeConfigurationTest, ProgramCountsBeyondTheProgramAreaAreRefusedBeforeAnyRead) {
    ControlFileContents c = SampleContents('2', 16640, 256);
    ASSERT_TRUE(core.DecodeConfiguration(*Sealed(c)));
    EXPECT_EQ(core.m_programImage[33278], static_cast<uint8_t>(c.programWords[16639]));
    EXPECT_TRUE(view.Messages().empty());

    for (uint16_t words : {uint16_t{16641}, uint16_t{17249}, uint16_t{0x8000}, uint16_t{0xFFFF}}) {
        view.Clear();
        std::memset(core.m_programImage, 0x77, 64);
        SetCounts(c, words, 300);  // both counts wrong: the program count is named
        EXPECT_FALSE(core.DecodeConfiguration(*Sealed(c))) << words;
        EXPECT_EQ(view.Messages(), std::vector<std::wstring>{L"数据错误：ProgramSize 越界"});
        EXPECT_EQ(view.Events()[0].caption, L"Message");
        EXPECT_EQ(view.Events()[0].style, kMbSystemModal);
        EXPECT_EQ(core.m_nProgramWords, words);
        EXPECT_EQ(core.m_programImage[0], 0x77);
    }
}

TEST_F(DecodeConfigurationTest, WideOptionLayoutIsConvertedAndOtherFlagValuesReadNarrow) {
    ControlFileContents c = SampleContents('2', 10, 0, 8);
    c.wideOptionLayout = true;
    c.optionBlock[12] = 8;  // the family number sits at 12-15 in both layouts
    const auto sealed = Sealed(c);

    core.m_bWideOptionBlock = 1;
    std::memset(core.m_optionBlock, 0x99, sizeof core.m_optionBlock);
    ASSERT_TRUE(core.DecodeConfiguration(*sealed));
    EXPECT_EQ(Bytes(core.m_optionBlockWide, 56), Bytes(c.optionBlock, 56));
    std::vector<uint8_t> expected(44, 0x99);
    auto copy = [&](int to, int from, int count) {
        for (int i = 0; i < count; ++i) expected[to + i] = c.optionBlock[from + i];
    };
    copy(4, 4, 2);
    copy(8, 8, 10);
    copy(20, 20, 8);
    copy(28, 32, 4);
    copy(32, 40, 10);
    EXPECT_EQ(Bytes(core.m_optionBlock, 44), expected);
    EXPECT_EQ(core.m_nFamilyTag, 0xE0);

    core.m_bWideOptionBlock = 2;
    std::memset(core.m_optionBlockWide, 0x99, sizeof core.m_optionBlockWide);
    ASSERT_TRUE(core.DecodeConfiguration(*sealed));
    EXPECT_EQ(Bytes(core.m_optionBlock, 44), Bytes(c.optionBlock, 44));
    EXPECT_EQ(core.m_optionBlockWide[0], 0x99);
}

TEST_F(DecodeConfigurationTest, FamilyNumberAndIcTypeSetPackingAndCommandFamily) {
    struct Case {
        char type;
        int32_t family;
        uint8_t lowMask, highShift, highMask, tag, pack, commandFamily;
    };
    const Case cases[] = {
        {'3', 3, 0x7F, 7, 0x0F, 0x1F, 1, 3},  {'5', 53, 0x7F, 7, 0x7F, 0x1F, 1, 3},
        {'A', 6, 0xFF, 8, 0xFF, 0x1F, 0, 2},  {'B', -1, 0x7F, 7, 0x7F, 0x1F, 1, 2},
        {'4', 10, 0xFF, 8, 0x3F, 0x1F, 0, 2},
    };
    for (const Case& k : cases) {
        ASSERT_TRUE(core.DecodeConfiguration(*Sealed(SampleContents(k.type, 8, 0, k.family))));
        EXPECT_EQ(
            (std::vector<int>{core.m_nLowMask, core.m_nHighShift, core.m_nHighMask,
                              core.m_nFamilyTag, core.m_nPackFlag, core.m_nCommandFamily}),
            (std::vector<int>{k.lowMask, k.highShift, k.highMask, k.tag, k.pack, k.commandFamily}))
            << k.type << " " << k.family;
    }
}

TEST_F(DecodeConfigurationTest, DecodingTwiceGivesTheSameRecord) {
    const auto sealed = Sealed(SampleContents('7', 300, 100, 5));
    ASSERT_TRUE(core.DecodeConfiguration(*sealed));
    auto first =
        std::make_unique<ConfigurationRecord>(static_cast<const ConfigurationRecord&>(core));
    ASSERT_TRUE(core.DecodeConfiguration(*sealed));
    EXPECT_EQ(0, std::memcmp(first.get(), static_cast<ConfigurationRecord*>(&core),
                             sizeof(ConfigurationRecord)));
}
