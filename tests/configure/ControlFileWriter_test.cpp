// BuildControlFile: every item enciphered at its offset, as the decoding reads it.

#include "configure/ControlFileWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "cipher/Des.h"
#include "configure/ControlFile.h"
#include "tests/support/ControlFileBuilder.h"

using namespace vantrel;
using vantrel::test::ControlFileBuilder;

namespace {

class ControlFileWriterTest : public ::testing::Test {
protected:
    // The plain bytes of `length` bytes at `offset` of the data region.
    std::vector<uint8_t> Plain(const std::vector<uint8_t>& file, uint32_t offset, uint32_t length) {
        CDes des;
        des.SetKey(file.data() + kDataRegionLength + 4 + kHeaderKeyOffset);
        des.DecryptBuffer(file.data() + offset, length);
        return std::vector<uint8_t>(des.m_output, des.m_output + length);
    }
    template <size_t N>
    static std::vector<uint8_t> Vec(const uint8_t (&field)[N]) {
        return std::vector<uint8_t>(field, field + N);
    }

    ControlFileBuilder builder;
};

TEST_F(ControlFileWriterTest, ItemsDecipherAtTheirOffsets) {
    const ControlFileContents& c = builder.contents;
    const std::vector<uint8_t> file = builder.Build();
    ASSERT_EQ(file.size(), kControlFileLength);

    std::vector<uint8_t> descriptor = Plain(file, kIcDescriptorOffset, 16);
    EXPECT_EQ(descriptor[5] | descriptor[6] << 8, 0x40);  // program word count
    EXPECT_EQ(descriptor[7] | descriptor[8] << 8, 16);    // EEPROM entry count
    EXPECT_EQ(descriptor[9], '2');
    EXPECT_EQ(descriptor[0], c.icDescriptor[0]);

    std::vector<uint8_t> program = Plain(file, kProgramAreaOffset, 0x80);
    for (size_t i = 0; i < 0x40; ++i)
        EXPECT_EQ(program[2 * i] | program[2 * i + 1] << 8, 0x1000 + i);
    std::vector<uint8_t> eeprom = Plain(file, kEepromAreaOffset, 32);
    for (size_t i = 0; i < 16; ++i) {
        EXPECT_EQ(eeprom[2 * i], 0xE0 + i);
        EXPECT_EQ(eeprom[2 * i + 1], 0);
    }

    EXPECT_EQ(Plain(file, kOptionBlockOffset, 44),
              std::vector<uint8_t>(c.optionBlock, c.optionBlock + 44));
    EXPECT_EQ(Plain(file, kIcParamBlockOffset, 16), Vec(c.icParam));
    EXPECT_EQ(Plain(file, kSnBlockOffset, 34), Vec(c.sn));
    EXPECT_EQ(Plain(file, kPassBlockOffset, 8), Vec(c.pass));
    EXPECT_EQ(Plain(file, kIdBlockOffset, 26), Vec(c.id));
    EXPECT_EQ(Plain(file, kProCheckSumOffset, 8), Vec(c.proCheckSum));
    EXPECT_EQ(Plain(file, kInrcSetOffset, 5), Vec(c.inrcSet));
    EXPECT_EQ(Plain(file, kLeveOffset, 1), std::vector<uint8_t>{c.leve});

    // Header: name, key and both checksums.
    const uint8_t* header = file.data() + kDataRegionLength + 4;
    EXPECT_EQ(std::memcmp(header + kHeaderKeyOffset, c.key, 8), 0);
    EXPECT_EQ(header[32] | header[33] << 8, Crc16(file.data(), kDataRegionLength));
    EXPECT_EQ(file[kDataRegionLength] | file[kDataRegionLength + 1] << 8,
              Crc16(header, kHeaderLength));
}

TEST_F(ControlFileWriterTest, GapsStayZeroAndShortItemsArePaddedWithZeroPlaintext) {
    const std::vector<uint8_t> narrow = builder.Build();
    for (uint32_t gap : {33792u, 34376u, 34400u, 34456u, 34472u, 34520u, 34536u})
        EXPECT_EQ(narrow[gap], 0) << gap;
    // The 44-byte option block takes six blocks; the 48th byte is zero padding.
    EXPECT_EQ(Plain(narrow, kOptionBlockOffset, 48)[47], 0);
    for (uint32_t i = kOptionBlockOffset + 48; i < kOptionBlockOffset + 56; ++i)
        EXPECT_EQ(narrow[i], 0) << i;
    // The program area is written in whole 64-byte chunks, nothing after them.
    EXPECT_NE(narrow[0x80 - 1], 0);
    EXPECT_EQ(narrow[0x80], 0);

    const std::vector<uint8_t> wide = builder.WideOptions(true).Build();
    EXPECT_EQ(Plain(wide, kOptionBlockOffset, 56), Vec(builder.contents.optionBlock));
}

TEST_F(ControlFileWriterTest, CountsAreLimitedToTheAreasUnlessGiven) {
    builder.ProgramWords(std::vector<uint16_t>(20000, 0xABCD));
    builder.EepromBytes(std::vector<uint8_t>(300, 0x5A));
    std::vector<uint8_t> descriptor = Plain(builder.Build(), kIcDescriptorOffset, 16);
    EXPECT_EQ(descriptor[5] | descriptor[6] << 8, 16640);
    EXPECT_EQ(descriptor[7] | descriptor[8] << 8, 256);

    builder.contents.fillDescriptorCounts = false;
    builder.contents.icDescriptor[5] = 0x41;  // 0x4141 = 16705 words, more than fit
    builder.contents.icDescriptor[6] = 0x41;
    builder.contents.icDescriptor[7] = 0x01;  // 257 entries
    builder.contents.icDescriptor[8] = 0x01;
    descriptor = Plain(builder.Build(), kIcDescriptorOffset, 16);
    EXPECT_EQ(descriptor[5] | descriptor[6] << 8, 0x4141);
    EXPECT_EQ(descriptor[7] | descriptor[8] << 8, 0x0101);
}

}  // namespace
