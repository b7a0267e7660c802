#include "upgrade/FirmwareDecipher.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "cipher/Des.h"
#include "upgrade/FirmwareImage.h"

namespace vantrel {

bool DecipherFirmware(FILE* in, FILE* out) {
    constexpr size_t kChunkSize = 64 * 1024;  // a multiple of the block size
    CDes des;
    des.SetKey(kFirmwareKey);
    uint8_t block[8] = {};
    std::vector<uint8_t> input(kChunkSize);
    std::vector<uint8_t> output(kChunkSize);
    size_t pending = 0;  // bytes of an incomplete block carried to the next read
    for (;;) {
        const size_t wanted = kChunkSize - pending;
        const size_t got = std::fread(input.data() + pending, 1, wanted, in);
        const bool atEnd = got < wanted;
        if (atEnd && std::ferror(in)) return false;
        const size_t available = pending + got;
        size_t produced = 0;
        size_t at = 0;
        for (; at + 8 <= available; at += 8) {
            std::memcpy(block, input.data() + at, 8);
            des.DecryptBlock(block);
            std::memcpy(output.data() + produced, des.m_decryptedBlock, 8);
            produced += 8;
        }
        pending = available - at;
        if (pending != 0 && atEnd) {
            std::memcpy(block, input.data() + at, pending);
            des.DecryptBlock(block);
            std::memcpy(output.data() + produced, des.m_decryptedBlock, 8);
            produced += 8;
            pending = 0;
        } else if (pending != 0) {
            std::memmove(input.data(), input.data() + at, pending);
        }
        if (produced != 0 && std::fwrite(output.data(), 1, produced, out) != produced) return false;
        if (atEnd) return true;
    }
}

}  // namespace vantrel
