#include "tests/win32gui/Samples.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "configure/ControlFileWriter.h"
#include "upgrade/FirmwareSealer.h"
#include "upgrade/IntelHexWriter.h"

namespace gui {
namespace {

bool WriteFile(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (!out) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && ok;
}

template <size_t N>
void Fill(uint8_t (&field)[N], uint8_t first) {
    for (size_t i = 0; i < N; ++i) field[i] = static_cast<uint8_t>(first + i);
}

std::vector<uint8_t> ControlFileImage() {
    vantrel::ControlFileContents contents;
    const char name[] = "VT7-DEMO";
    std::memcpy(contents.name, name, sizeof name - 1);
    const uint8_t key[8] = {0x5A, 0x13, 0xC4, 0x77, 0x09, 0xE2, 0x3B, 0x90};
    std::memcpy(contents.key, key, sizeof key);
    for (uint16_t i = 0; i < 0x80; ++i) contents.programWords.push_back(0x2000 + i);
    for (uint8_t i = 0; i < 32; ++i) contents.eepromBytes.push_back(0xA0 + i);
    Fill(contents.icDescriptor, 0x10);
    contents.icDescriptor[9] = '7';  // an IC type that asks for the programming mode
    Fill(contents.optionBlock, 0x20);
    Fill(contents.icParam, 0x60);
    Fill(contents.sn, 0x70);
    Fill(contents.pass, 0x90);
    Fill(contents.id, 0x30);
    const char version[] = "V7.1";  // id bytes 12-15: shown next to "MEMORY："
    std::memcpy(contents.id + 12, version, 4);
    Fill(contents.proCheckSum, 0x00);
    contents.proCheckSum[2] = 0xCD;  // bytes 3 and 2, shown next to "M+O+E：" as ABCD
    contents.proCheckSum[3] = 0xAB;
    Fill(contents.inrcSet, 0xF0);
    contents.leve = 0x03;
    return vantrel::BuildControlFile(contents);
}

std::vector<uint8_t> FirmwareFileImage() {
    // 10 KB of application code; the rest of APROM is programmed with zeros.
    std::vector<uint8_t> image(10 * 1024);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7 + (i >> 9));
    const std::string hex = vantrel::BuildIntelHex(image);
    return vantrel::SealFirmware(hex);
}

}  // namespace

bool WriteSamples(const std::wstring& folder, Samples& samples) {
    samples.controlFile = folder + L"\\样本配置.ctl";
    samples.firmwareFile = folder + L"\\固件 1.2.hex";
    samples.icName = L"VT7-DEMO";
    samples.firstChecksum = L"ABCD";
    samples.secondChecksum = L"V7.1";
    return WriteFile(samples.controlFile, ControlFileImage()) &&
           WriteFile(samples.firmwareFile, FirmwareFileImage());
}

}  // namespace gui
