#include "tests/configure/ConfigureFiles.h"

#include <cstring>

namespace vantrel::test {

ControlFileContents SampleContents(char icType, uint32_t programWords, uint32_t eepromCount,
                                   int32_t family) {
    ControlFileContents c;
    std::memcpy(c.name, "IC-NAME-0123456789", 18);
    const uint8_t key[8] = {0x13, 0x34, 0x57, 0x79, 0x9B, 0xBC, 0xDF, 0xF1};
    std::memcpy(c.key, key, 8);
    for (uint32_t i = 0; i < programWords; ++i)
        c.programWords.push_back(static_cast<uint16_t>(0x3000 + i * 0x0101));
    for (uint32_t i = 0; i < eepromCount; ++i)
        c.eepromBytes.push_back(static_cast<uint8_t>(0x40 + i));
    for (int i = 0; i < 16; ++i) c.icDescriptor[i] = static_cast<uint8_t>(0xD0 + i);
    c.icDescriptor[9] = static_cast<uint8_t>(icType);
    for (int i = 0; i < 56; ++i) c.optionBlock[i] = static_cast<uint8_t>(0x60 + i);
    const auto f = static_cast<uint32_t>(family);
    for (int i = 0; i < 4; ++i) c.optionBlock[12 + i] = static_cast<uint8_t>(f >> (8 * i));
    for (int i = 0; i < 16; ++i) c.icParam[i] = static_cast<uint8_t>(0xA0 + i);
    for (int i = 0; i < 34; ++i) c.sn[i] = static_cast<uint8_t>(0x10 + i);
    for (int i = 0; i < 8; ++i) c.pass[i] = static_cast<uint8_t>(0xB0 + i);
    for (int i = 0; i < 26; ++i) c.id[i] = static_cast<uint8_t>(0x20 + i);
    for (int i = 0; i < 8; ++i) c.proCheckSum[i] = static_cast<uint8_t>(0xC0 + i);
    for (int i = 0; i < 5; ++i) c.inrcSet[i] = static_cast<uint8_t>(0xE0 + i);
    c.leve = 0x5A;
    return c;
}

std::unique_ptr<ControlFile> ToControlFile(const std::vector<uint8_t>& image) {
    auto file = std::make_unique<ControlFile>();
    std::memcpy(file->dataRegion, image.data(), kDataRegionLength);
    const uint8_t* checksum = image.data() + kDataRegionLength;
    file->headerChecksum =
        static_cast<uint32_t>(checksum[0]) | static_cast<uint32_t>(checksum[1]) << 8 |
        static_cast<uint32_t>(checksum[2]) << 16 | static_cast<uint32_t>(checksum[3]) << 24;
    std::memcpy(file->header, image.data() + kDataRegionLength + 4, kHeaderLength);
    return file;
}

}  // namespace vantrel::test
