#include "tests/upgrade/UpgradeScenario.h"

#include "upgrade/FirmwareImage.h"
#include "upgrade/FirmwareSealer.h"
#include "upgrade/IntelHexWriter.h"

namespace vantrel::test {

std::vector<uint8_t> SampleFirmwareImage() {
    std::vector<uint8_t> image(kFirmwareImageSize, 0);
    for (uint32_t i = 0; i < 10 * 1024; ++i) image[i] = static_cast<uint8_t>(i * 37 + i / 512);
    for (uint32_t i = 0x10400; i < 0x10600; ++i) image[i] = static_cast<uint8_t>(0xC3 ^ i);
    return image;
}

std::wstring WriteFirmwareFile(const TempDir& dir, const std::vector<uint8_t>& image,
                               const std::wstring& name) {
    IntelHexOptions options;
    options.skipZeroRecords = true;
    return dir.Write(name, SealFirmware(BuildIntelHex(image, options)));
}

std::vector<int> CompleteRunProgress() {
    std::vector<int> positions;
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 1; i < 136; ++i) positions.push_back(100 * i / 136);
    positions.push_back(100);
    return positions;
}

}  // namespace vantrel::test
