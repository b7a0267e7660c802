#include "configure/ControlFile.h"

#include <array>
#include <cstring>
#include <vector>

#include "common/FileRead.h"

namespace vantrel {

namespace {

// Entry i is the CRC register after shifting i << 8 through eight steps of the
// polynomial 0x1021, most significant bit first.
constexpr std::array<uint16_t, 256> MakeCrcTable() {
    std::array<uint16_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t crc = i << 8;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
        table[i] = static_cast<uint16_t>(crc);
    }
    return table;
}

constexpr std::array<uint16_t, 256> kCrcTable = MakeCrcTable();
static_assert(kCrcTable[1] == 0x1021 && kCrcTable[2] == 0x2042 && kCrcTable[3] == 0x3063);

}  // namespace

uint16_t Crc16(const uint8_t* data, uint32_t length) {
    uint16_t crc = 0;
    for (uint32_t i = 0; i < length; ++i)
        crc = static_cast<uint16_t>((crc << 8) ^ kCrcTable[((crc >> 8) ^ data[i]) & 0xFF]);
    return crc;
}

std::wstring ControlFileResultText(ControlFileResult result) {
    switch (result) {
        case ControlFileResult::Ok:
            return L"";
        case ControlFileResult::CannotOpen:
            return L"打开源文件出错";
        case ControlFileResult::WrongLength:
            return L"文件长度不匹配";
        case ControlFileResult::HeaderChecksum:
            return L"第一次校验错误！";
        case ControlFileResult::DataChecksum:
            return L"第二次校验错误！";
    }
    return L"";
}

ControlFileResult LoadControlFile(const std::wstring& path, ControlFile& file) {
    // Read once, regular files only: a FIFO or a device is a file that cannot be
    // opened, and a longer file is refused for its length without being read.
    std::vector<uint8_t> bytes;
    switch (ReadRegularFile(path, kControlFileLength, bytes)) {
        case FileReadResult::Ok:
            return ParseControlFile(bytes, file);
        case FileReadResult::TooLarge:
            std::memset(&file, 0, sizeof file);
            return ControlFileResult::WrongLength;
        default:
            std::memset(&file, 0, sizeof file);
            return ControlFileResult::CannotOpen;
    }
}

ControlFileResult ParseControlFile(const std::vector<uint8_t>& bytes, ControlFile& file) {
    // Nothing of an earlier load survives, whatever happens below.
    std::memset(&file, 0, sizeof file);
    if (bytes.size() != kControlFileLength) return ControlFileResult::WrongLength;

    const uint8_t* at = bytes.data();
    std::memcpy(file.dataRegion, at, kDataRegionLength);
    at += kDataRegionLength;
    file.headerChecksum = static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
                          static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
    at += 4;
    std::memcpy(file.header, at, kHeaderLength);

    if (static_cast<uint32_t>(Crc16(file.header, kHeaderLength)) != file.headerChecksum)
        return ControlFileResult::HeaderChecksum;

    const uint16_t dataChecksum = static_cast<uint16_t>(
        file.header[kHeaderDataChecksumOffset] | file.header[kHeaderDataChecksumOffset + 1] << 8);
    if (Crc16(file.dataRegion, kDataRegionLength) != dataChecksum)
        return ControlFileResult::DataChecksum;
    return ControlFileResult::Ok;
}

}  // namespace vantrel
