// Building commands in the command record: the header, DownIC, DownOPT and the
// data reports, and the bytes that earlier commands leave behind.

#include "configure/CommandBuilders.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "protocol/ApplicationProtocol.h"

using namespace vantrel;

namespace {

std::vector<uint8_t> Bytes(const uint8_t* from, size_t count) {
    return std::vector<uint8_t>(from, from + count);
}

class CommandBuildersTest : public ::testing::Test {
protected:
    std::unique_ptr<ConfigurationRecord> record = std::make_unique<ConfigurationRecord>();
    ConfigurationRecord& r = *record;

    void SetUp() override {
        // Leftovers of an earlier command: every payload byte 0xEE.
        std::memset(r.m_commandRecord, 0xEE, sizeof r.m_commandRecord);
    }
    const uint8_t* Payload() const { return r.m_commandRecord + 8; }
};

}  // namespace

TEST_F(CommandBuildersTest, HeaderHoldsFamilyKindWordAndLengthLittleEndian) {
    r.m_nCommandFamily = 3;
    SetCommandHeader(r, kRequestParameter, 0x85100008, 0x1234);
    EXPECT_EQ(Bytes(r.m_commandRecord, 8),
              (std::vector<uint8_t>{0x03, 0x02, 0x08, 0x00, 0x10, 0x85, 0x34, 0x12}));
    EXPECT_EQ(CommandWordOf(r.m_commandRecord), 0x85100008u);
    EXPECT_EQ(CommandLengthOf(r.m_commandRecord), 0x1234);
    EXPECT_EQ(r.m_commandRecord[8], 0xEE);  // the payload is not touched
}

TEST_F(CommandBuildersTest, ParameterCommandCopiesOnlyItsLength) {
    const uint8_t pass[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    SetParameterCommand(r, 0x85500008, pass, 8);
    EXPECT_EQ(Bytes(Payload(), 9), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 0xEE}));
}

TEST_F(CommandBuildersTest, DownIcFillsTwentyTwoBytesUnderALengthOfEighteen) {
    r.m_icDescriptor[9] = 'B';
    r.m_optionBlock[20] = 0x20;
    r.m_optionBlock[32] = 0x32;
    r.m_optionBlock[35] = 0x35;
    r.m_optionBlock[4] = 0x00;  // first bound 0x003F
    r.m_optionBlock[5] = 0x3F;
    r.m_optionBlock[33] = 0x12;  // second bound 0x1234
    r.m_optionBlock[34] = 0x34;
    r.m_optionBlock[26] = 0x01;
    r.m_nLowMask = 0x7F;
    r.m_nHighMask = 0x3F;
    r.m_nFamilyTag = 0xE0;
    r.m_nPackFlag = 1;
    for (int i = 0; i < 16; ++i) r.m_icParamBlock[i] = static_cast<uint8_t>(0xA0 + i);
    BuildDownIcCommand(r);
    EXPECT_EQ(Bytes(r.m_commandRecord, 8),
              (std::vector<uint8_t>{0x02, 0x02, 0x08, 0x00, 0xD0, 0x85, 18, 0}));
    EXPECT_EQ(Bytes(Payload(), 23),
              (std::vector<uint8_t>{'B',  0x20, 0x32, 0x35, 0x40, 0x00, 0x35, 0x12,
                                    0x04, 0x7F, 0x3F, 0xE0, 0x01, 0xA4, 0xA8, 0xA9,
                                    0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF, 0xEE}));
}

TEST_F(CommandBuildersTest, DownIcBoundsWrapAndAZeroSecondBoundStaysZero) {
    r.m_optionBlock[4] = 0xFF;
    r.m_optionBlock[5] = 0xFF;
    BuildDownIcCommand(r);
    EXPECT_EQ(Bytes(Payload() + 4, 5), (std::vector<uint8_t>{0x00, 0x00, 0x00, 0x00, 0x02}));

    r.m_optionBlock[34] = 0x01;  // second bound 1
    BuildDownIcCommand(r);
    EXPECT_EQ(Bytes(Payload() + 6, 2), (std::vector<uint8_t>{0x02, 0x00}));

    r.m_optionBlock[33] = 0xFF;  // second bound 0xFF01
    r.m_optionBlock[34] = 0x01;
    BuildDownIcCommand(r);
    EXPECT_EQ(Bytes(Payload() + 6, 2), (std::vector<uint8_t>{0x02, 0xFF}));
}

TEST_F(CommandBuildersTest, DownIcUsesOnlyBitsSixteenToTwentyThreeOfOptionWord24) {
    r.m_optionBlock[24] = 0xFF;
    r.m_optionBlock[25] = 0xFF;
    r.m_optionBlock[27] = 0xFF;
    BuildDownIcCommand(r);
    EXPECT_EQ(Payload()[8], 2);
    r.m_optionBlock[26] = 0x80;
    BuildDownIcCommand(r);
    EXPECT_EQ(Payload()[8], 4);
}

TEST_F(CommandBuildersTest, DownOptLengthFollowsTheIcTypeInFamilyTwo) {
    const uint8_t descriptor[16] = {0xD0, 0xD1, 0xD2, 0xD3, 0,    0,    0,
                                    0,    0,    0,    0xDA, 0xDB, 0xDC, 0xDD};
    std::memcpy(r.m_icDescriptor, descriptor, 16);
    struct Case {
        char type;
        uint16_t length;
        std::vector<uint8_t> payload;  // the first eight bytes
    };
    const Case cases[] = {
        {'B', 8, {0xD0, 0xD1, 0xD2, 0xD3, 0xDA, 0xDB, 0xDC, 0xDD}},
        {'D', 8, {0xD0, 0xD1, 0xD2, 0xD3, 0xDA, 0xDB, 0xDC, 0xDD}},
        {'C', 6, {0xD0, 0xD1, 0xD2, 0xD3, 0xDA, 0xDB, 0xEE, 0xEE}},
        {'A', 4, {0xD0, 0xD1, 0xD2, 0xD3, 0xEE, 0xEE, 0xEE, 0xEE}},
    };
    for (const Case& c : cases) {
        SetUp();
        r.m_icDescriptor[9] = static_cast<uint8_t>(c.type);
        BuildDownOptCommand(r);
        EXPECT_EQ(Bytes(r.m_commandRecord, 8),
                  (std::vector<uint8_t>{0x02, 0x02, 0x08, 0x00, 0x00, 0x85,
                                        static_cast<uint8_t>(c.length), 0}))
            << c.type;
        EXPECT_EQ(Bytes(Payload(), 8), c.payload) << c.type;
    }
}

TEST_F(CommandBuildersTest, DownOptInFamilyThreeSendsDescriptorByteOneWithTheFamily53Rule) {
    r.m_nCommandFamily = 3;
    r.m_icDescriptor[0] = 0xD0;
    r.m_icDescriptor[1] = 0x05;
    r.m_icDescriptor[2] = 0xD2;
    r.m_icDescriptor[3] = 0xD3;
    r.m_icDescriptor[9] = '5';
    r.m_icDescriptor[10] = 0xDA;  // never sent in family 3
    struct Case {
        uint8_t family[4];
        uint8_t inrc4;
        uint8_t expected;
    };
    const Case cases[] = {
        {{0x35, 0, 0, 0}, 0, 0x15},
        {{0x35, 0, 0, 0}, 1, 0x05},
        {{0x34, 0, 0, 0}, 0, 0x05},
        {{0x35, 0, 0, 1}, 0, 0x05},  // 0x01000035 is not 53
    };
    for (const Case& c : cases) {
        std::memcpy(r.m_optionBlock + 12, c.family, 4);
        r.m_inrcSet[4] = c.inrc4;
        BuildDownOptCommand(r);
        EXPECT_EQ(Bytes(r.m_commandRecord, 8),
                  (std::vector<uint8_t>{0x03, 0x02, 0x08, 0x00, 0x00, 0x85, 1, 0}));
        // Bytes 1-3 keep descriptor bytes 1-3 from the four-byte fill.
        EXPECT_EQ(Bytes(Payload(), 5), (std::vector<uint8_t>{c.expected, 0x05, 0xD2, 0xD3, 0xEE}));
    }
}

TEST(DataReport, PackedWordsSplitByMaskAndShift) {
    std::array<uint8_t, 64> source{};
    source[0] = 0x34;  // word 0x1234
    source[1] = 0x12;
    source[62] = 0xFF;  // word 0xFFFF
    source[63] = 0xFF;
    uint8_t report[64];
    BuildDataReport(source.data(), false, 0x7F, 7, 0x3F, report);
    EXPECT_EQ(report[0], 0x34);
    EXPECT_EQ(report[1], 0x24);
    EXPECT_EQ(report[62], 0x7F);
    EXPECT_EQ(report[63], 0x3F);
    BuildDataReport(source.data(), false, 0xFF, 8, 0x3F, report);
    EXPECT_EQ(report[0], 0x34);
    EXPECT_EQ(report[1], 0x12);
    EXPECT_EQ(report[63], 0x3F);
}

TEST(DataReport, RawReportsCopyTheSourceAndOnlyTheEepromWordIsRaw) {
    std::array<uint8_t, 64> source;
    for (int i = 0; i < 64; ++i) source[i] = static_cast<uint8_t>(0xC0 + i);
    uint8_t report[64];
    BuildDataReport(source.data(), true, 0, 0, 0, report);
    EXPECT_EQ(0, std::memcmp(report, source.data(), 64));
    EXPECT_TRUE(IsRawDataCommand(command_word::kDownEE));
    EXPECT_TRUE(IsRawDataCommand(0x8400FFFF));
    EXPECT_FALSE(IsRawDataCommand(command_word::kDownData));
    EXPECT_FALSE(IsRawDataCommand(0x84010008));
}
