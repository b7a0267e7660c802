#include "upgrade/FirmwareDecoding.h"

#include <cstring>

#include "cipher/Des.h"
#include "upgrade/FirmwareImage.h"
#include "upgrade/IntelHexParser.h"

namespace vantrel {

std::string DecipherFirmware(const uint8_t* data, size_t size) {
    CDes des;
    des.SetKey(kFirmwareKey);
    const size_t whole = size / 8;
    std::string text((size + 7) / 8 * 8, '\0');
    uint8_t* out = reinterpret_cast<uint8_t*>(text.data());
    des.DecryptBlocks(data, out, whole);
    if (const size_t rest = size % 8; rest != 0) {
        // The block buffer still holds the last whole block's ciphertext.
        uint8_t block[8] = {};
        if (whole != 0) std::memcpy(block, data + 8 * (whole - 1), 8);
        std::memcpy(block, data + 8 * whole, rest);
        des.DecryptBlock(block);
        std::memcpy(out + 8 * whole, des.m_decryptedBlock, 8);
    }
    return text;
}

DecodedFirmware DecodeFirmwareBytes(const uint8_t* data, size_t size) {
    DecodedFirmware load;
    load.image.assign(kFirmwareImageSize, 0);
    const std::string text = DecipherFirmware(data, size);
    IntelHexParser parser(load.image.data());
    parser.ParseText(text);
    parser.Finish();
    load.check = parser.Check();
    return load;
}

}  // namespace vantrel
