// LoadControlFile on arbitrary file contents: the input is written to a file and
// loaded. The result must follow the order of the checks: length, then the header
// checksum, then the data checksum; a loaded file holds the bytes as they were.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "common/Text.h"
#include "configure/ControlFile.h"

using namespace vantrel;

namespace {

const std::string& InputPath() {
    static const std::string path = (std::filesystem::temp_directory_path() /
                                     ("vantrel-control-fuzz-" + std::to_string(getpid()) + ".ctl"))
                                        .string();
    return path;
}

ControlFileResult Expected(const uint8_t* data, size_t size) {
    if (size != kControlFileLength) return ControlFileResult::WrongLength;
    const uint8_t* checksum = data + kDataRegionLength;
    const uint8_t* header = checksum + 4;
    const uint32_t stored = checksum[0] | checksum[1] << 8 | checksum[2] << 16 |
                            static_cast<uint32_t>(checksum[3]) << 24;
    if (Crc16(header, kHeaderLength) != stored) return ControlFileResult::HeaderChecksum;
    const uint16_t dataChecksum = static_cast<uint16_t>(header[kHeaderDataChecksumOffset] |
                                                        header[kHeaderDataChecksumOffset + 1] << 8);
    if (Crc16(data, kDataRegionLength) != dataChecksum) return ControlFileResult::DataChecksum;
    return ControlFileResult::Ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Inputs of the exact length are rare by chance: stretch every tenth one to it,
    // and make the checksums right for half of those, so the later checks are reached.
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (size > 0 && data[0] % 10 == 0) {
        bytes.resize(kControlFileLength, '\0');
        if (data[0] % 20 == 0) {
            uint8_t* image = reinterpret_cast<uint8_t*>(bytes.data());
            uint8_t* header = image + kDataRegionLength + 4;
            const uint16_t dataCrc = Crc16(image, kDataRegionLength);
            header[kHeaderDataChecksumOffset] = static_cast<uint8_t>(dataCrc);
            header[kHeaderDataChecksumOffset + 1] = static_cast<uint8_t>(dataCrc >> 8);
            const uint16_t headerCrc = Crc16(header, kHeaderLength);
            image[kDataRegionLength] = static_cast<uint8_t>(headerCrc);
            image[kDataRegionLength + 1] = static_cast<uint8_t>(headerCrc >> 8);
        }
    }

    FILE* file = std::fopen(InputPath().c_str(), "wb");
    if (file == nullptr) std::abort();
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
        std::abort();
    std::fclose(file);

    auto loaded = std::make_unique<ControlFile>();
    const ControlFileResult result = LoadControlFile(FromUtf8(InputPath()), *loaded);
    const uint8_t* image = reinterpret_cast<const uint8_t*>(bytes.data());
    if (result != Expected(image, bytes.size())) std::abort();
    if ((result == ControlFileResult::Ok) != ControlFileResultText(result).empty()) std::abort();
    if (result == ControlFileResult::Ok &&
        (std::memcmp(loaded->dataRegion, image, kDataRegionLength) != 0 ||
         std::memcmp(loaded->header, image + kDataRegionLength + 4, kHeaderLength) != 0))
        std::abort();
    std::remove(InputPath().c_str());
    return 0;
}
