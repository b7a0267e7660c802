#pragma once
// The two checksum texts shown after a successful configuration, next to
// "M+O+E：" (control 1018) and "MEMORY：" (control 1019).

#include <cstdint>
#include <string>

namespace vantrel {

struct ChecksumTexts {
    std::wstring first;   // control 1018
    std::wstring second;  // control 1019
};

// IC type '5': the four characters of IdBlock bytes 12-15, and a single space.
// Every other type: ProCheckSum bytes 3 and 2 as four upper-case hexadecimal
// digits, and the four characters of IdBlock bytes 12-15.
ChecksumTexts FormatChecksumDisplay(uint8_t icType, const uint8_t idBlock[26],
                                    const uint8_t proCheckSum[8]);

// The bytes as the "%c" of a wide format shows them: each byte is a signed 8-bit
// number, so 0x80-0xFF become U+FF80-U+FFFF. The text ends at the first zero byte,
// as a zero-terminated text does.
std::wstring SignedByteCharacters(const uint8_t* bytes, uint32_t count);

}  // namespace vantrel
