// LoadFirmwareImage: deciphers a firmware file into an intermediate file beside it,
// parses that file's Intel HEX text into the image, and deletes it again.

#include <cstring>
#include <memory>
#include <vector>

#include "app/VantrelCore.h"
#include "cipher/Des.h"
#include "common/Files.h"
#include "upgrade/FirmwareImage.h"
#include "upgrade/IntelHexParser.h"

namespace {

constexpr size_t kChunkSize = 64 * 1024;  // a multiple of the 8-byte block

// Deciphers `in` block by block into `out`. A last block of 1 to 7 bytes
// overwrites only the start of the block buffer, whose other bytes still hold
// the previous block's ciphertext (zeros when there was none); all 8 bytes are
// deciphered and written. False on a read or write error.
bool DecipherFirmware(FILE* in, FILE* out) {
    CDes des;
    des.SetKey(vantrel::kFirmwareKey);
    uint8_t block[8] = {};
    std::vector<uint8_t> input(kChunkSize);
    std::vector<uint8_t> output(kChunkSize);
    size_t pending = 0;  // bytes of an incomplete block carried to the next read
    for (;;) {
        const size_t got = std::fread(input.data() + pending, 1, kChunkSize - pending, in);
        const size_t available = pending + got;
        const bool atEnd = got < kChunkSize - pending;
        if (atEnd && std::ferror(in)) return false;
        size_t produced = 0;
        size_t at = 0;
        for (; at + 8 <= available; at += 8) {
            std::memcpy(block, input.data() + at, 8);
            des.DecryptBlock(block);
            std::memcpy(output.data() + produced, des.m_decryptedBlock, 8);
            produced += 8;
        }
        pending = available - at;
        if (atEnd && pending != 0) {
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

// Feeds the text of `in` to the parser until its end or the end-of-file record.
// False on a read error.
bool ParseFirmwareText(FILE* in, uint8_t* image) {
    vantrel::IntelHexParser parser(image);
    std::vector<char> chunk(kChunkSize);
    while (!parser.Ended()) {
        const size_t got = std::fread(chunk.data(), 1, chunk.size(), in);
        parser.Feed(chunk.data(), got);
        if (got < chunk.size()) {
            if (std::ferror(in)) return false;
            break;
        }
    }
    parser.Finish();
    return true;
}

// The intermediate file holds plain firmware: it must not stay behind. When it
// cannot be deleted, its contents are at least cut away.
void DiscardIntermediate(const std::wstring& path) {
    if (vantrel::RemoveFile(path)) return;
    if (FILE* file = vantrel::OpenFile(path, "wb")) std::fclose(file);
}

}  // namespace

bool CVantrelCore::LoadFirmwareImage(const std::wstring& path, uint8_t* image) {
    auto fail = [this] {
        m_view.ShowMessage(L"源文件不能打开", L"Message", vantrel::kMbSystemModal);
        return false;
    };

    FILE* firmware = vantrel::OpenFile(path, "rb");
    if (firmware == nullptr) return fail();
    const std::wstring intermediatePath = path + L".hex";
    FILE* intermediate = vantrel::OpenFile(intermediatePath, "w+b");
    if (intermediate == nullptr) {
        std::fclose(firmware);
        return fail();
    }

    bool deciphered = DecipherFirmware(firmware, intermediate);
    std::fclose(firmware);
    if (std::fclose(intermediate) != 0) deciphered = false;
    if (!deciphered) {
        DiscardIntermediate(intermediatePath);
        return fail();
    }

    FILE* text = vantrel::OpenFile(intermediatePath, "rb");
    if (text == nullptr) {
        DiscardIntermediate(intermediatePath);
        return fail();
    }
    const bool parsed = ParseFirmwareText(text, image);
    std::fclose(text);
    DiscardIntermediate(intermediatePath);
    return parsed ? true : fail();
}
