#pragma once
// Builds control-file images from plain items: the counterpart of the reader, used
// by the tools that make control files and by the tests.

#include <cstdint>
#include <vector>

namespace vantrel {

// The plain (deciphered) items of a control file.
struct ControlFileContents {
    uint8_t name[24] = {};
    uint8_t key[8] = {};
    // Program image as 16-bit words, word 0 first; at most 16640 words are stored.
    std::vector<uint16_t> programWords;
    // EEPROM contents; each byte is stored as the low byte of a 16-bit entry. At most
    // 256 entries are stored.
    std::vector<uint8_t> eepromBytes;
    // Bytes 5-6 and 7-8 (the two counts) are filled from the two vectors unless
    // fillDescriptorCounts is false, in which case they are written as given here.
    uint8_t icDescriptor[16] = {};
    bool fillDescriptorCounts = true;
    // 44 bytes are used, or all 56 with wideOptionLayout.
    uint8_t optionBlock[56] = {};
    bool wideOptionLayout = false;
    uint8_t icParam[16] = {};
    uint8_t sn[34] = {};
    uint8_t pass[8] = {};
    uint8_t id[26] = {};
    uint8_t proCheckSum[8] = {};
    uint8_t inrcSet[5] = {};
    uint8_t leve = 0;
};

// A complete control file (34718 bytes): every item enciphered under `key` at its
// offset of the data region (its last block padded with zero plaintext; the program
// and EEPROM areas in whole 64-byte chunks), the gaps zero, and both checksums set.
std::vector<uint8_t> BuildControlFile(const ControlFileContents& contents);

// Recomputes both checksums of a control-file image of the full length (for callers
// that changed bytes of the data region or header afterwards).
void UpdateControlFileChecksums(std::vector<uint8_t>& file);

}  // namespace vantrel
