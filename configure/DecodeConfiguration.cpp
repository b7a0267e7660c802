// DecodeConfiguration: the only place where a control file is deciphered. Every
// item is deciphered on its own (DES, electronic codebook) under the header's key
// into its member of the configuration record; nothing else of the record is
// cleared, so bytes that a decoding does not reach keep their earlier contents.

#include "configure/DecodeConfiguration.h"

#include <cstring>
#include <memory>

#include "app/VantrelCore.h"
#include "cipher/Des.h"
#include "configure/IcRules.h"

using namespace vantrel;

namespace vantrel {

void ConvertWideOptionBlock(const uint8_t wide[56], uint8_t narrow[44]) {
    std::memcpy(narrow + 4, wide + 4, 2);
    std::memcpy(narrow + 8, wide + 8, 10);
    std::memcpy(narrow + 20, wide + 20, 8);
    std::memcpy(narrow + 28, wide + 32, 4);
    std::memcpy(narrow + 32, wide + 40, 10);
}

}  // namespace vantrel

namespace {

constexpr uint32_t kChunkSize = 64;
constexpr uint32_t kEepromWorkSize = 512;

// Deciphers `length` bytes of the data region at `offset` and returns the plain
// bytes (the cipher's output area).
const uint8_t* Decipher(CDes& des, const ControlFile& file, uint32_t offset, uint32_t length) {
    des.DecryptBuffer(file.dataRegion + offset, length);
    return des.m_output;
}

uint16_t Le16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

int32_t Le32(const uint8_t* at) {
    return static_cast<int32_t>(static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
                                static_cast<uint32_t>(at[2]) << 16 |
                                static_cast<uint32_t>(at[3]) << 24);
}

}  // namespace

bool CVantrelCore::DecodeConfiguration(const ControlFile& file) {
    auto des = std::make_unique<CDes>();
    des->SetKey(file.header + kHeaderKeyOffset);

    std::memcpy(m_icDescriptor, Decipher(*des, file, kIcDescriptorOffset, 16), 16);
    m_nProgramWords = Le16(m_icDescriptor + 5);
    m_nEepromCount = Le16(m_icDescriptor + 7);

    // The program image may only come from the program area.
    if (m_nProgramWords > kMaxProgramWords) {
        m_view.ShowMessage(kProgramSizeOutOfRangeText, L"Message", kMbSystemModal);
        return false;
    }
    const uint32_t programBytes = static_cast<uint16_t>(2u * m_nProgramWords);
    for (uint32_t o = 0; o < programBytes; o += kChunkSize)
        std::memcpy(m_programImage + o, Decipher(*des, file, kProgramAreaOffset + o, kChunkSize),
                    kChunkSize);

    if (m_nEepromCount > kMaxEepromCount) {
        m_view.ShowMessage(kEepromSizeOutOfRangeText, L"Message", kMbSystemModal);
        return false;
    }
    if (m_nEepromCount != 0) {
        uint8_t work[kEepromWorkSize] = {};
        const uint32_t eepromBytes = 2u * m_nEepromCount;
        for (uint32_t o = 0; o < eepromBytes; o += kChunkSize)
            std::memcpy(work + o, Decipher(*des, file, kEepromAreaOffset + o, kChunkSize),
                        kChunkSize);
        // Only the low byte of each 16-bit entry is data.
        for (uint32_t i = 0; i < m_nEepromCount; ++i) m_eepromImage[i] = work[2 * i];
    }

    if (m_bWideOptionBlock == 1) {
        std::memcpy(m_optionBlockWide, Decipher(*des, file, kOptionBlockOffset, 56), 56);
        ConvertWideOptionBlock(m_optionBlockWide, m_optionBlock);
    } else {
        std::memcpy(m_optionBlock, Decipher(*des, file, kOptionBlockOffset, 44), 44);
    }
    std::memcpy(m_icParamBlock, Decipher(*des, file, kIcParamBlockOffset, 16), 16);
    std::memcpy(m_snBlock, Decipher(*des, file, kSnBlockOffset, 34), 34);
    std::memcpy(m_passBlock, Decipher(*des, file, kPassBlockOffset, 8), 8);
    std::memcpy(m_idBlock, Decipher(*des, file, kIdBlockOffset, 26), 26);
    std::memcpy(m_proCheckSum, Decipher(*des, file, kProCheckSumOffset, 8), 8);
    std::memcpy(m_inrcSet, Decipher(*des, file, kInrcSetOffset, 5), 5);
    m_leve = *Decipher(*des, file, kLeveOffset, 1);

    const WordPacking packing = LookUpWordPacking(Le32(m_optionBlock + 12));
    m_nLowMask = packing.lowMask;
    m_nHighShift = packing.highShift;
    m_nHighMask = packing.highMask;
    m_nFamilyTag = packing.familyTag;
    m_nPackFlag = packing.packFlag;

    m_nCommandFamily = CommandFamilyFor(m_icDescriptor[9]);
    return true;
}
