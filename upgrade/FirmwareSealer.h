#pragma once
// Enciphers a firmware file: the counterpart of the firmware image reader, used by
// the tools that make firmware files and by the tests.

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

// The Intel HEX text enciphered block by block under the firmware key; a last
// block shorter than 8 bytes is padded with zero bytes before it is enciphered.
std::vector<uint8_t> SealFirmware(const std::string& intelHexText);

}  // namespace vantrel
