#include "configure/ControlFileWriter.h"

#include <algorithm>
#include <cstring>

#include "cipher/Des.h"
#include "configure/ControlFile.h"

namespace vantrel {

namespace {

constexpr uint32_t kProgramAreaLength = kEepromAreaOffset - kProgramAreaOffset;  // 33280
constexpr uint32_t kEepromAreaLength = 512;
constexpr uint32_t kWideOptionLength = 56;
constexpr uint32_t kNarrowOptionLength = 44;

// Enciphers `plain` block by block into the data region at `offset`, padding the
// last block (up to a multiple of `granule` bytes) with zero plaintext.
void SealItem(CDes& des, uint8_t* dataRegion, uint32_t offset, const uint8_t* plain,
              uint32_t length, uint32_t granule = 8) {
    const uint32_t padded = (length + granule - 1) / granule * granule;
    std::vector<uint8_t> buffer(padded, 0);
    if (length != 0) std::memcpy(buffer.data(), plain, length);
    for (uint32_t at = 0; at < padded; at += 8) {
        des.EncryptBlock(buffer.data() + at);
        std::memcpy(dataRegion + offset + at, des.m_encryptedBlock, 8);
    }
}

void PutLe16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace

std::vector<uint8_t> BuildControlFile(const ControlFileContents& contents) {
    std::vector<uint8_t> file(kControlFileLength, 0);
    uint8_t* dataRegion = file.data();
    uint8_t* header = file.data() + kDataRegionLength + 4;

    CDes des;
    des.SetKey(contents.key);

    const size_t wordCount = std::min<size_t>(contents.programWords.size(), kProgramAreaLength / 2);
    std::vector<uint8_t> program(wordCount * 2);
    for (size_t i = 0; i < wordCount; ++i) PutLe16(&program[2 * i], contents.programWords[i]);
    SealItem(des, dataRegion, kProgramAreaOffset, program.data(),
             static_cast<uint32_t>(program.size()), 64);

    const size_t entryCount = std::min<size_t>(contents.eepromBytes.size(), kEepromAreaLength / 2);
    std::vector<uint8_t> eeprom(entryCount * 2, 0);
    for (size_t i = 0; i < entryCount; ++i) eeprom[2 * i] = contents.eepromBytes[i];
    SealItem(des, dataRegion, kEepromAreaOffset, eeprom.data(),
             static_cast<uint32_t>(eeprom.size()), 64);

    uint8_t descriptor[16];
    std::memcpy(descriptor, contents.icDescriptor, sizeof descriptor);
    if (contents.fillDescriptorCounts) {
        PutLe16(descriptor + 5, static_cast<uint32_t>(wordCount));
        PutLe16(descriptor + 7, static_cast<uint32_t>(entryCount));
    }
    SealItem(des, dataRegion, kIcDescriptorOffset, descriptor, sizeof descriptor);
    SealItem(des, dataRegion, kOptionBlockOffset, contents.optionBlock,
             contents.wideOptionLayout ? kWideOptionLength : kNarrowOptionLength);
    SealItem(des, dataRegion, kIcParamBlockOffset, contents.icParam, sizeof contents.icParam);
    SealItem(des, dataRegion, kSnBlockOffset, contents.sn, sizeof contents.sn);
    SealItem(des, dataRegion, kPassBlockOffset, contents.pass, sizeof contents.pass);
    SealItem(des, dataRegion, kIdBlockOffset, contents.id, sizeof contents.id);
    SealItem(des, dataRegion, kProCheckSumOffset, contents.proCheckSum,
             sizeof contents.proCheckSum);
    SealItem(des, dataRegion, kInrcSetOffset, contents.inrcSet, sizeof contents.inrcSet);
    SealItem(des, dataRegion, kLeveOffset, &contents.leve, 1);

    std::memcpy(header + kHeaderNameOffset, contents.name, kHeaderNameLength);
    std::memcpy(header + kHeaderKeyOffset, contents.key, 8);
    UpdateControlFileChecksums(file);
    return file;
}

void UpdateControlFileChecksums(std::vector<uint8_t>& file) {
    if (file.size() != kControlFileLength) return;
    uint8_t* checksum = file.data() + kDataRegionLength;
    uint8_t* header = checksum + 4;
    PutLe16(header + kHeaderDataChecksumOffset, Crc16(file.data(), kDataRegionLength));
    PutLe16(checksum, Crc16(header, kHeaderLength));
    checksum[2] = 0;
    checksum[3] = 0;
}

}  // namespace vantrel
