// Decoding a control file that passed its checks, with arbitrary item contents.
// The fuzz input supplies the plain items (key, descriptor with its two counts as
// they stand, option block in either layout, parameter blocks, name, EEPROM bytes
// and program words); they are enciphered into a control file with both checksums
// right, and DecodeControlFileInto runs on it with the option-layout flag the input
// chooses. Every count a file can carry must decode without reading or writing
// out of bounds.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "configure/ConfigurationRecord.h"
#include "configure/ControlFile.h"
#include "configure/ControlFileWriter.h"
#include "configure/DecodeConfiguration.h"

using namespace vantrel;

namespace {

// Hands out the input's bytes in order, then zeros.
class InputReader {
public:
    InputReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    void Fill(uint8_t* to, size_t count) {
        for (size_t i = 0; i < count; ++i) to[i] = Byte();
    }
    size_t Left() const { return m_size - m_at; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One record for every input, as the core keeps one: what a decoding does not
    // reach keeps what the one before left.
    static ConfigurationRecord* record = new ConfigurationRecord();

    InputReader input(data, size);
    const uint8_t layoutFlag = input.Byte();
    ControlFileContents contents;
    contents.wideOptionLayout = (input.Byte() & 1) != 0;
    contents.fillDescriptorCounts = false;
    input.Fill(contents.key, sizeof contents.key);
    input.Fill(contents.icDescriptor, sizeof contents.icDescriptor);
    input.Fill(contents.optionBlock, sizeof contents.optionBlock);
    input.Fill(contents.icParam, sizeof contents.icParam);
    input.Fill(contents.sn, sizeof contents.sn);
    input.Fill(contents.pass, sizeof contents.pass);
    input.Fill(contents.id, sizeof contents.id);
    input.Fill(contents.proCheckSum, sizeof contents.proCheckSum);
    input.Fill(contents.inrcSet, sizeof contents.inrcSet);
    contents.leve = input.Byte();
    input.Fill(contents.name, sizeof contents.name);
    const size_t countLow = input.Byte();
    const size_t eepromBytes = countLow | static_cast<size_t>(input.Byte()) << 8;
    for (size_t i = 0; i < eepromBytes && input.Left() > 0; ++i)
        contents.eepromBytes.push_back(input.Byte());
    while (input.Left() > 0) {
        const uint8_t low = input.Byte();
        contents.programWords.push_back(static_cast<uint16_t>(low | input.Byte() << 8));
    }

    const std::vector<uint8_t> image = BuildControlFile(contents);
    auto file = std::make_unique<ControlFile>();
    std::memcpy(file->dataRegion, image.data(), kDataRegionLength);
    const uint8_t* checksum = image.data() + kDataRegionLength;
    file->headerChecksum = static_cast<uint32_t>(checksum[0] | checksum[1] << 8 |
                                                 checksum[2] << 16 | checksum[3] << 24);
    std::memcpy(file->header, image.data() + kDataRegionLength + 4, kHeaderLength);
    // The file is one that the loader accepts.
    if (file->headerChecksum != Crc16(file->header, kHeaderLength)) __builtin_trap();
    const uint16_t dataChecksum = static_cast<uint16_t>(
        file->header[kHeaderDataChecksumOffset] | file->header[kHeaderDataChecksumOffset + 1] << 8);
    if (dataChecksum != Crc16(file->dataRegion, kDataRegionLength)) __builtin_trap();

    record->m_bWideOptionBlock = layoutFlag;
    const bool decoded = DecodeControlFileInto(*file, *record) == DecodeResult::Ok;
    // What was decoded is what the file holds, and a decoded record is within its limits.
    const uint16_t words =
        static_cast<uint16_t>(contents.icDescriptor[5] | contents.icDescriptor[6] << 8);
    const uint16_t entries =
        static_cast<uint16_t>(contents.icDescriptor[7] | contents.icDescriptor[8] << 8);
    if (record->m_nProgramWords != words) __builtin_trap();
    if (decoded != (words <= 16640 && entries <= 256)) __builtin_trap();
    if (!decoded) return 0;
    if (record->m_nEepromCount != entries) __builtin_trap();
    if (std::memcmp(record->m_idBlock, contents.id, sizeof contents.id) != 0) __builtin_trap();
    if (record->m_leve != contents.leve) __builtin_trap();
    if (record->m_nCommandFamily != 2 && record->m_nCommandFamily != 3) __builtin_trap();
    return 0;
}
