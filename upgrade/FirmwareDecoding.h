#pragma once
// Decoding a firmware file in memory: its bytes, deciphered under the
// firmware key, parsed into a zero-filled image and checked, in one call. Nothing
// is written anywhere on the way.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "upgrade/FirmwareCheck.h"

namespace vantrel {

// Firmware files larger than this are refused as unreadable: a full image's text
// is about 200 KB, so this is far above any real file and still bounds the memory.
constexpr size_t kMaxFirmwareFileSize = 16 * 1024 * 1024;

// Deciphers a firmware file block by block, 8 bytes of text for every block. A last
// block of 1 to 7 bytes overwrites only the start of the block buffer, whose other
// bytes still hold the previous block's ciphertext (zeros when there was none).
std::string DecipherFirmware(const uint8_t* data, size_t size);

struct DecodedFirmware {
    std::vector<uint8_t> image;  // kFirmwareImageSize bytes, 0x00 where no record names one
    FirmwareCheck check;         // sound or not, the image is what the text says
};

// Deciphers, parses and checks the bytes of a firmware file.
DecodedFirmware DecodeFirmwareBytes(const uint8_t* data, size_t size);

}  // namespace vantrel
