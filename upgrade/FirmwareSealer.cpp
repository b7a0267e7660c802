#include "upgrade/FirmwareSealer.h"

#include <cstring>

#include "cipher/Des.h"
#include "upgrade/FirmwareImage.h"

namespace vantrel {

std::vector<uint8_t> SealFirmware(const std::string& intelHexText) {
    const size_t padded = (intelHexText.size() + 7) / 8 * 8;
    std::vector<uint8_t> plain(padded, 0);
    if (!intelHexText.empty()) std::memcpy(plain.data(), intelHexText.data(), intelHexText.size());
    CDes des;
    des.SetKey(kFirmwareKey);
    std::vector<uint8_t> sealed(padded);
    for (size_t at = 0; at < padded; at += 8) {
        des.EncryptBlock(plain.data() + at);
        std::memcpy(sealed.data() + at, des.m_encryptedBlock, 8);
    }
    return sealed;
}

}  // namespace vantrel
