// The firmware image reader on arbitrary input, three ways:
//  - the input as plain Intel HEX text, straight into the parser, whole and fed in
//    two pieces split where the input says: same image, same check;
//  - the input as an enciphered firmware file, through the in-memory load
//    (DecodeFirmwareBytes), compared with the parser run on a deciphering done here
//    independently;
//  - the same file through LoadFirmwareImage, which reads it once from disk and
//    refuses it (one box, image untouched) exactly when the check finds a problem.
// Every data byte must land inside the image, and no other file may appear.

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
#include "upgrade/FirmwareCheck.h"
#include "upgrade/FirmwareDecoding.h"
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

const std::filesystem::path& FirmwareFolder() {
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() /
                    ("vantrel-firmware-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
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

void Require(bool condition) {
    if (!condition) std::abort();
}

// A check that holds together: the verdict follows the problems, a sound text has
// its end record and data, and every kept problem has a text.
void RequireCoherent(const FirmwareCheck& check) {
    Require(check.Sound() == check.problems.empty());
    Require(check.problems.size() ==
            std::min<uint64_t>(check.problemCount, FirmwareCheck::kMaxKept));
    if (check.Sound()) Require(check.endRecord && check.anyData);
    for (const FirmwareProblem& problem : check.problems) {
        Require(!FirmwareRefusalText(problem).empty());
        Require(problem.line <= check.lines);
    }
    if (check.anyData)
        Require(check.lowestAddress <= check.highestAddress &&
                check.highestAddress < kFirmwareImageSize);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view plain(reinterpret_cast<const char*>(data), size);

    // Plain text into an image with guards on both sides (ASan sees the rest).
    std::vector<uint8_t> guarded(kFirmwareImageSize + 64, 0xA5);
    IntelHexParser whole(guarded.data() + 32);
    whole.ParseText(plain);
    whole.Finish();
    for (size_t i = 0; i < 32; ++i)
        Require(guarded[i] == 0xA5 && guarded[guarded.size() - 1 - i] == 0xA5);
    RequireCoherent(whole.Check());
    Require(whole.Check().problems == CheckFirmwareText(plain).problems);

    // The same text fed in two pieces, split where its first byte says.
    std::vector<uint8_t> fed(kFirmwareImageSize + 64, 0xA5);
    IntelHexParser pieces(fed.data() + 32);
    const size_t split = size == 0 ? 0 : data[0] % size;
    pieces.Feed(plain.data(), split);
    pieces.ParseText(plain.substr(split));
    pieces.Finish();
    Require(fed == guarded);
    Require(pieces.Check().problems == whole.Check().problems);
    Require(pieces.Check().notes == whole.Check().notes);

    // The same bytes as an enciphered firmware file, in memory.
    const DecodedFirmware load = DecodeFirmwareBytes(data, size);
    std::vector<uint8_t> expected(kFirmwareImageSize, 0);
    ParseIntelHex(Decipher(data, size), expected.data());
    Require(load.image == expected);
    RequireCoherent(load.check);

    // And from disk through the job's loader.
    const std::filesystem::path file = FirmwareFolder() / "writer.hex";
    FILE* out = std::fopen(file.c_str(), "wb");
    Require(out != nullptr);
    Require(size == 0 || std::fwrite(data, 1, size, out) == size);
    std::fclose(out);

    static CountingView view;
    static VirtualClock clock;
    static NullHidPlatform platform;
    static CVantrelCore core(view, clock, platform);
    std::vector<uint8_t> loaded(kFirmwareImageSize, 0x5A);
    view.messages = 0;
    const bool accepted = core.LoadFirmwareImage(FromUtf8(file.string()), loaded.data());
    Require(accepted == load.check.Sound());
    Require(view.messages == (accepted ? 0 : 1));
    Require(accepted ? loaded == expected
                     : loaded == std::vector<uint8_t>(kFirmwareImageSize, 0x5A));
    Require(std::distance(std::filesystem::directory_iterator(FirmwareFolder()),
                          std::filesystem::directory_iterator()) == 1);
    std::filesystem::remove(file);
    return 0;
}
