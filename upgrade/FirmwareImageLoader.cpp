// LoadFirmwareImage: deciphers a firmware file into an intermediate file beside it,
// parses that file's Intel HEX text into the image, and deletes it again.

#include <vector>

#include "app/VantrelCore.h"
#include "common/Files.h"
#include "upgrade/FirmwareDecipher.h"
#include "upgrade/IntelHexParser.h"

namespace {

constexpr size_t kChunkSize = 64 * 1024;

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

    bool deciphered = vantrel::DecipherFirmware(firmware, intermediate);
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
