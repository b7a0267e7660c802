#pragma once
// The control file (.ctl): its in-memory image, its checksum and its loader.

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

constexpr uint32_t kControlFileLength = 34718;
constexpr uint32_t kDataRegionLength = 34552;
constexpr uint32_t kHeaderLength = 162;

// Offsets inside the data region.
constexpr uint32_t kProgramAreaOffset = 0;
constexpr uint32_t kEepromAreaOffset = 33280;
constexpr uint32_t kIcDescriptorOffset = 34304;
constexpr uint32_t kOptionBlockOffset = 34320;
constexpr uint32_t kIcParamBlockOffset = 34384;
constexpr uint32_t kSnBlockOffset = 34416;
constexpr uint32_t kPassBlockOffset = 34464;
constexpr uint32_t kIdBlockOffset = 34480;
constexpr uint32_t kProCheckSumOffset = 34512;
constexpr uint32_t kInrcSetOffset = 34528;
constexpr uint32_t kLeveOffset = 34544;

// Offsets inside the header.
constexpr uint32_t kHeaderNameOffset = 0;
constexpr uint32_t kHeaderNameLength = 24;
constexpr uint32_t kHeaderKeyOffset = 24;
constexpr uint32_t kHeaderDataChecksumOffset = 32;

struct ControlFile {
    uint8_t dataRegion[kDataRegionLength];
    uint32_t headerChecksum;
    uint8_t header[kHeaderLength];
};

// CRC-16/XMODEM (polynomial 0x1021, initial 0, no reflection, no final XOR).
uint16_t Crc16(const uint8_t* data, uint32_t length);

enum class ControlFileResult {
    Ok,
    CannotOpen,      // "打开源文件出错"
    WrongLength,     // "文件长度不匹配"
    HeaderChecksum,  // "第一次校验错误！"
    DataChecksum,    // "第二次校验错误！"
};

// The operator-facing text of a failed load (empty for Ok).
std::wstring ControlFileResultText(ControlFileResult result);

// Reads and checks a control file. On failure `file` holds nothing a later load
// depends on.
ControlFileResult LoadControlFile(const std::wstring& path, ControlFile& file);
// The same for the bytes of a file already read.
ControlFileResult ParseControlFile(const std::vector<uint8_t>& bytes, ControlFile& file);

}  // namespace vantrel
