// The only place where a control file is deciphered.

#include "configure/DecodeConfiguration.h"

#include <cstring>
#include <memory>

#include "cipher/Des.h"
#include "configure/IcRules.h"

namespace vantrel {

void ConvertWideOptionBlock(const uint8_t wide[56], uint8_t narrow[44]) {
    std::memcpy(narrow + 4, wide + 4, 2);
    std::memcpy(narrow + 8, wide + 8, 10);
    std::memcpy(narrow + 20, wide + 20, 8);
    std::memcpy(narrow + 28, wide + 32, 4);
    std::memcpy(narrow + 32, wide + 40, 10);
}

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

DecodeResult DecodeControlFileInto(const ControlFile& file, ConfigurationRecord& r) {
    auto des = std::make_unique<CDes>();
    des->SetKey(file.header + kHeaderKeyOffset);

    std::memcpy(r.m_icDescriptor, Decipher(*des, file, kIcDescriptorOffset, 16), 16);
    r.m_nProgramWords = Le16(r.m_icDescriptor + 5);
    r.m_nEepromCount = Le16(r.m_icDescriptor + 7);

    // The program image may only come from the program area.
    if (r.m_nProgramWords > kMaxProgramWords) {
        return DecodeResult::ProgramSizeOutOfRange;
    }
    const uint32_t programBytes = static_cast<uint16_t>(2u * r.m_nProgramWords);
    for (uint32_t o = 0; o < programBytes; o += kChunkSize)
        std::memcpy(r.m_programImage + o, Decipher(*des, file, kProgramAreaOffset + o, kChunkSize),
                    kChunkSize);

    if (r.m_nEepromCount > kMaxEepromCount) {
        return DecodeResult::EepromSizeOutOfRange;
    }
    if (r.m_nEepromCount != 0) {
        uint8_t work[kEepromWorkSize] = {};
        const uint32_t eepromBytes = 2u * r.m_nEepromCount;
        for (uint32_t o = 0; o < eepromBytes; o += kChunkSize)
            std::memcpy(work + o, Decipher(*des, file, kEepromAreaOffset + o, kChunkSize),
                        kChunkSize);
        // Only the low byte of each 16-bit entry is data.
        for (uint32_t i = 0; i < r.m_nEepromCount; ++i) r.m_eepromImage[i] = work[2 * i];
    }

    if (r.m_bWideOptionBlock == 1) {
        std::memcpy(r.m_optionBlockWide, Decipher(*des, file, kOptionBlockOffset, 56), 56);
        ConvertWideOptionBlock(r.m_optionBlockWide, r.m_optionBlock);
    } else {
        std::memcpy(r.m_optionBlock, Decipher(*des, file, kOptionBlockOffset, 44), 44);
    }
    std::memcpy(r.m_icParamBlock, Decipher(*des, file, kIcParamBlockOffset, 16), 16);
    std::memcpy(r.m_snBlock, Decipher(*des, file, kSnBlockOffset, 34), 34);
    std::memcpy(r.m_passBlock, Decipher(*des, file, kPassBlockOffset, 8), 8);
    std::memcpy(r.m_idBlock, Decipher(*des, file, kIdBlockOffset, 26), 26);
    std::memcpy(r.m_proCheckSum, Decipher(*des, file, kProCheckSumOffset, 8), 8);
    std::memcpy(r.m_inrcSet, Decipher(*des, file, kInrcSetOffset, 5), 5);
    r.m_leve = *Decipher(*des, file, kLeveOffset, 1);

    const WordPacking packing = LookUpWordPacking(Le32(r.m_optionBlock + 12));
    r.m_nLowMask = packing.lowMask;
    r.m_nHighShift = packing.highShift;
    r.m_nHighMask = packing.highMask;
    r.m_nFamilyTag = packing.familyTag;
    r.m_nPackFlag = packing.packFlag;

    r.m_nCommandFamily = CommandFamilyFor(r.m_icDescriptor[9]);
    return DecodeResult::Ok;
}

const wchar_t* DecodeResultText(DecodeResult result) {
    switch (result) {
        case DecodeResult::ProgramSizeOutOfRange:
            return kProgramSizeOutOfRangeText;
        case DecodeResult::EepromSizeOutOfRange:
            return kEepromSizeOutOfRangeText;
        default:
            return L"";
    }
}

DecodedControlFile DecodeControlFile(const ControlFile& file, bool wideOptions) {
    DecodedControlFile decoded;
    decoded.record = std::make_unique<ConfigurationRecord>();
    decoded.record->m_bWideOptionBlock = wideOptions ? 1 : 0;
    decoded.result = DecodeControlFileInto(file, *decoded.record);
    return decoded;
}

}  // namespace vantrel
