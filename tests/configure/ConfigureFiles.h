#pragma once
// Control files for the configuration tests: plain items with recognisable
// contents, and the enciphered image as the core's ControlFile.

#include <cstdint>
#include <memory>
#include <vector>

#include "configure/ControlFile.h"
#include "configure/ControlFileWriter.h"

namespace vantrel::test {

// Every item filled with its own pattern; `programWords` words counting from
// 0x3000 and `eepromCount` EEPROM bytes counting from 0x40; IC type `icType`;
// family number `family`; the name "IC-NAME-0123456789" (longer than 16 bytes).
ControlFileContents SampleContents(char icType = '2', uint32_t programWords = 100,
                                   uint32_t eepromCount = 20, int32_t family = 4);

// The image of a built file as LoadControlFile would leave it.
std::unique_ptr<ControlFile> ToControlFile(const std::vector<uint8_t>& image);
inline std::unique_ptr<ControlFile> Sealed(const ControlFileContents& contents) {
    return ToControlFile(BuildControlFile(contents));
}

}  // namespace vantrel::test
