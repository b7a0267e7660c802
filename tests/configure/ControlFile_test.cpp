// Crc16 and LoadControlFile: the length and the two checksums, in their order.

#include "configure/ControlFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/ControlFileBuilder.h"
#include "tests/support/TempDir.h"

using namespace vantrel;
using vantrel::test::ControlFileBuilder;
using vantrel::test::TempDir;

namespace {

uint16_t Crc(const std::string& text) {
    return Crc16(reinterpret_cast<const uint8_t*>(text.data()), static_cast<uint32_t>(text.size()));
}

TEST(Crc16, CatalogueCheckValues) {
    EXPECT_EQ(Crc("123456789"), 0x31C3);
    EXPECT_EQ(Crc("abc"), 0x9DD6);
    EXPECT_EQ(Crc("A"), 0x58E5);
    EXPECT_EQ(Crc(std::string(162, '\0')), 0x0000);
}

TEST(ControlFileResultText, OperatorTexts) {
    EXPECT_EQ(ControlFileResultText(ControlFileResult::Ok), L"");
    EXPECT_EQ(ControlFileResultText(ControlFileResult::CannotOpen), L"打开源文件出错");
    EXPECT_EQ(ControlFileResultText(ControlFileResult::WrongLength), L"文件长度不匹配");
    EXPECT_EQ(ControlFileResultText(ControlFileResult::HeaderChecksum), L"第一次校验错误！");
    EXPECT_EQ(ControlFileResultText(ControlFileResult::DataChecksum), L"第二次校验错误！");
}

class LoadControlFileTest : public ::testing::Test {
protected:
    ControlFileResult Load(const std::vector<uint8_t>& bytes) {
        return LoadControlFile(dir.Write(L"file.ctl", bytes), *file);
    }
    static uint8_t& HeaderByte(std::vector<uint8_t>& bytes, size_t i) {
        return bytes[kDataRegionLength + 4 + i];
    }

    TempDir dir;
    std::unique_ptr<ControlFile> file = std::make_unique<ControlFile>();
    std::vector<uint8_t> good = ControlFileBuilder().Build();
};

TEST_F(LoadControlFileTest, ValidFileIsLoadedAsItIs) {
    ASSERT_EQ(good.size(), kControlFileLength);
    ASSERT_EQ(Load(good), ControlFileResult::Ok);
    EXPECT_EQ(std::memcmp(file->dataRegion, good.data(), kDataRegionLength), 0);
    EXPECT_EQ(std::memcmp(file->header, good.data() + kDataRegionLength + 4, kHeaderLength), 0);
    EXPECT_EQ(file->headerChecksum, Crc16(file->header, kHeaderLength));
    EXPECT_EQ(std::memcmp(file->header + kHeaderNameOffset, "TEST-IC", 8), 0);
}

TEST_F(LoadControlFileTest, AllZeroFileIsValid) {
    // The CRC of zero bytes is 0, so zero checksums match zero contents.
    EXPECT_EQ(Load(std::vector<uint8_t>(kControlFileLength, 0)), ControlFileResult::Ok);
}

TEST_F(LoadControlFileTest, MissingFileCannotBeOpened) {
    EXPECT_EQ(LoadControlFile(dir.File(L"absent.ctl"), *file), ControlFileResult::CannotOpen);
    EXPECT_EQ(LoadControlFile(L"", *file), ControlFileResult::CannotOpen);
}

TEST_F(LoadControlFileTest, FolderIsNotAControlFile) {
    EXPECT_NE(LoadControlFile(dir.MakeDir(L"folder.ctl"), *file), ControlFileResult::Ok);
}

TEST_F(LoadControlFileTest, AnyOtherLengthIsRefusedBeforeTheChecksums) {
    std::vector<uint8_t> shorter(good.begin(), good.end() - 1);
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    EXPECT_EQ(Load(shorter), ControlFileResult::WrongLength);
    EXPECT_EQ(Load(longer), ControlFileResult::WrongLength);
    EXPECT_EQ(Load({}), ControlFileResult::WrongLength);
    longer.resize(2 * kControlFileLength);
    EXPECT_EQ(Load(longer), ControlFileResult::WrongLength);
}

TEST_F(LoadControlFileTest, AnyHeaderByteChangeFailsTheFirstCheck) {
    for (size_t i : {size_t{0}, size_t{23}, size_t{24}, size_t{33}, size_t{34}, size_t{161}}) {
        std::vector<uint8_t> bytes = good;
        HeaderByte(bytes, i) ^= 0x40;
        EXPECT_EQ(Load(bytes), ControlFileResult::HeaderChecksum) << "header byte " << i;
    }
}

TEST_F(LoadControlFileTest, UpperHalfOfTheHeaderChecksumMustBeZero) {
    std::vector<uint8_t> bytes = good;
    bytes[kDataRegionLength + 2] = 0x01;  // 0x0001xxxx with the right low half
    EXPECT_EQ(Load(bytes), ControlFileResult::HeaderChecksum);
    bytes = good;
    bytes[kDataRegionLength + 3] = 0x80;
    EXPECT_EQ(Load(bytes), ControlFileResult::HeaderChecksum);
}

TEST_F(LoadControlFileTest, AnyDataRegionByteChangeFailsTheSecondCheck) {
    // The first byte, a byte of an unread gap, an unread cipher tail, and the last byte.
    for (size_t i : {size_t{0}, size_t{33792}, size_t{34376}, size_t{kDataRegionLength - 1}}) {
        std::vector<uint8_t> bytes = good;
        bytes[i] ^= 0x01;
        EXPECT_EQ(Load(bytes), ControlFileResult::DataChecksum) << "data byte " << i;
    }
}

TEST_F(LoadControlFileTest, HeaderChecksumIsTestedFirst) {
    std::vector<uint8_t> bytes = good;
    bytes[100] ^= 0xFF;
    HeaderByte(bytes, 50) ^= 0xFF;
    EXPECT_EQ(Load(bytes), ControlFileResult::HeaderChecksum);
}

TEST_F(LoadControlFileTest, FailedLoadLeavesNothingOfAnEarlierOne) {
    ASSERT_EQ(Load(good), ControlFileResult::Ok);
    std::vector<uint8_t> bytes = good;
    bytes.pop_back();
    ASSERT_EQ(Load(bytes), ControlFileResult::WrongLength);
    const std::vector<uint8_t> zero(kDataRegionLength, 0);
    EXPECT_EQ(std::memcmp(file->dataRegion, zero.data(), kDataRegionLength), 0);
    EXPECT_EQ(file->headerChecksum, 0u);
}

TEST_F(LoadControlFileTest, WidePathWithChineseFolderAndName) {
    dir.MakeDir(L"控制文件");
    const std::wstring path = dir.Write(L"控制文件/芯片配置.ctl", good);
    EXPECT_NE(path.find(L"控制文件"), std::wstring::npos);
    EXPECT_EQ(LoadControlFile(path, *file), ControlFileResult::Ok);
    EXPECT_EQ(std::memcmp(file->dataRegion, good.data(), kDataRegionLength), 0);
}

}  // namespace
