// The firmware image reader on arbitrary input, two ways:
//  - the input as plain Intel HEX text, straight into the parser;
//  - the input as an enciphered firmware file, through LoadFirmwareImage, compared
//    with the parser run on a deciphering done here independently.
// Every data byte must land inside the image, the two ways must agree, and the
// intermediate file must be gone afterwards.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/VantrelCore.h"
#include "cipher/Des.h"
#include "common/Clock.h"
#include "common/Text.h"
#include "link/NullHidPlatform.h"
#include "upgrade/FirmwareImage.h"
#include "upgrade/IntelHexParser.h"

using namespace vantrel;

namespace {

class CountingView : public IView {
public:
    void SetPaneText(int, const std::wstring&) override {}
    void SetProgress(int) override {}
    void SetControlText(int, const std::wstring&) override {}
    void ShowMessage(const std::wstring&, const std::wstring&, unsigned) override { ++messages; }
    uint8_t AskProgramMode() override { return 1; }
    int messages = 0;
};

const std::string& FirmwarePath() {
    static const std::string path = (std::filesystem::temp_directory_path() /
                                     ("vantrel-firmware-fuzz-" + std::to_string(getpid()) + ".hex"))
                                        .string();
    return path;
}

// Deciphers as the reader does: 8-byte blocks, a short last block completed with
// the previous block's ciphertext.
std::string Decipher(const uint8_t* data, size_t size) {
    CDes des;
    des.SetKey(kFirmwareKey);
    uint8_t block[8] = {};
    std::string text;
    for (size_t at = 0; at < size; at += 8) {
        std::memcpy(block, data + at, size - at < 8 ? size - at : 8);
        des.DecryptBlock(block);
        text.append(reinterpret_cast<const char*>(des.m_decryptedBlock), 8);
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Plain text into an image with guards on both sides (ASan sees the rest).
    std::vector<uint8_t> guarded(kFirmwareImageSize + 64, 0xA5);
    ParseIntelHex(std::string_view(reinterpret_cast<const char*>(data), size), guarded.data() + 32);
    for (size_t i = 0; i < 32; ++i)
        if (guarded[i] != 0xA5 || guarded[guarded.size() - 1 - i] != 0xA5) std::abort();

    // The same bytes as an enciphered firmware file.
    FILE* file = std::fopen(FirmwarePath().c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size != 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);

    static CountingView view;
    static VirtualClock clock;
    static NullHidPlatform platform;
    static CVantrelCore core(view, clock, platform);
    std::vector<uint8_t> loaded(kFirmwareImageSize, 0);
    view.messages = 0;
    if (!core.LoadFirmwareImage(FromUtf8(FirmwarePath()), loaded.data())) std::abort();
    if (view.messages != 0) std::abort();
    if (std::filesystem::exists(FirmwarePath() + ".hex")) std::abort();

    std::vector<uint8_t> expected(kFirmwareImageSize, 0);
    ParseIntelHex(Decipher(data, size), expected.data());
    if (loaded != expected) std::abort();
    std::remove(FirmwarePath().c_str());
    return 0;
}
