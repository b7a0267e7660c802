// The two file formats: deciphering and parsing a full-size firmware file, and
// loading a control file and deciphering all its items. The firmware is the whole
// 69,632-byte image as 16-byte records, sealed under the firmware key.
//
// With VANTREL_BENCH_FILES_DIR set, the sealed firmware file is also written there
// as firmware.sealed, so that scripts/bench-files can time OpenSSL on the same bytes.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/VantrelCore.h"
#include "cipher/Des.h"
#include "common/Clock.h"
#include "common/SilentView.h"
#include "common/Text.h"
#include "configure/ControlFile.h"
#include "configure/ControlFileWriter.h"
#include "configure/DecodeConfiguration.h"
#include "link/NullHidPlatform.h"
#include "upgrade/FirmwareImage.h"
#include "upgrade/FirmwareSealer.h"
#include "upgrade/IntelHexParser.h"
#include "upgrade/IntelHexWriter.h"

using namespace vantrel;

namespace {

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("vantrel-bench-" + std::to_string(getpid()) + "-" + name))
        .string();
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
        std::abort();
    std::fclose(file);
}

// The full image: every byte named by a 16-byte data record.
struct Firmware {
    Firmware() {
        image.resize(kFirmwareImageSize);
        for (uint32_t i = 0; i < kFirmwareImageSize; ++i)
            image[i] = static_cast<uint8_t>(i * 37 + (i >> 9));
        text = BuildIntelHex(image);
        sealed = SealFirmware(text);
        if (const char* dir = std::getenv("VANTREL_BENCH_FILES_DIR"))
            WriteFile(std::string(dir) + "/firmware.sealed", sealed);
    }
    std::vector<uint8_t> image;
    std::string text;
    std::vector<uint8_t> sealed;
};

const Firmware& TheFirmware() {
    static const Firmware firmware;
    return firmware;
}

// The DES part of the firmware reader alone: every block of the sealed file.
void BM_FilesFirmwareDesOnly(benchmark::State& state) {
    const std::vector<uint8_t>& sealed = TheFirmware().sealed;
    std::vector<uint8_t> plain(sealed.size());
    for (auto _ : state) {
        CDes des;
        des.SetKey(kFirmwareKey);
        for (size_t at = 0; at < sealed.size(); at += 8) {
            des.DecryptBlock(sealed.data() + at);
            std::copy(des.m_decryptedBlock, des.m_decryptedBlock + 8, plain.begin() + at);
        }
        benchmark::DoNotOptimize(plain.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sealed.size()));
}
BENCHMARK(BM_FilesFirmwareDesOnly)->Unit(benchmark::kMillisecond);

// The same blocks in one bulk call.
void BM_FilesFirmwareDesBulk(benchmark::State& state) {
    const std::vector<uint8_t>& sealed = TheFirmware().sealed;
    std::vector<uint8_t> plain(sealed.size());
    for (auto _ : state) {
        CDes des;
        des.SetKey(kFirmwareKey);
        des.DecryptBlocks(sealed.data(), plain.data(), sealed.size() / 8);
        benchmark::DoNotOptimize(plain.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sealed.size()));
}
BENCHMARK(BM_FilesFirmwareDesBulk)->Unit(benchmark::kMillisecond);

// Parsing the deciphered text alone.
void BM_FilesFirmwareParseOnly(benchmark::State& state) {
    const std::string& text = TheFirmware().text;
    std::vector<uint8_t> image(kFirmwareImageSize);
    for (auto _ : state) {
        ParseIntelHex(text, image.data());
        benchmark::DoNotOptimize(image.data());
    }
    if (image != TheFirmware().image) state.SkipWithError("parsed image differs");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_FilesFirmwareParseOnly)->Unit(benchmark::kMillisecond);

// LoadFirmwareImage end to end: read the file once, decipher, parse and check it in memory.
void BM_FilesLoadFirmwareImage(benchmark::State& state) {
    const std::string path = TempPath("firmware.hex");
    WriteFile(path, TheFirmware().sealed);
    SilentView view;
    VirtualClock clock;
    NullHidPlatform platform;
    CVantrelCore core(view, clock, platform);
    std::vector<uint8_t> image(kFirmwareImageSize);
    const std::wstring widePath = FromUtf8(path);
    for (auto _ : state) {
        std::fill(image.begin(), image.end(), 0);
        if (!core.LoadFirmwareImage(widePath, image.data())) state.SkipWithError("load failed");
    }
    if (image != TheFirmware().image) state.SkipWithError("loaded image differs");
    std::remove(path.c_str());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TheFirmware().sealed.size()));
}
BENCHMARK(BM_FilesLoadFirmwareImage)->Unit(benchmark::kMillisecond);

// A control file with a full program area and 256 EEPROM entries.
const std::vector<uint8_t>& TheControlFile() {
    static const std::vector<uint8_t> file = [] {
        ControlFileContents contents;
        for (int i = 0; i < 8; ++i) contents.key[i] = static_cast<uint8_t>(0x31 + i * 17);
        contents.programWords.resize(16640);
        for (size_t i = 0; i < contents.programWords.size(); ++i)
            contents.programWords[i] = static_cast<uint16_t>(i * 2654435761u);
        contents.eepromBytes.resize(256);
        for (size_t i = 0; i < contents.eepromBytes.size(); ++i)
            contents.eepromBytes[i] = static_cast<uint8_t>(i);
        contents.icDescriptor[9] = '2';
        return BuildControlFile(contents);
    }();
    return file;
}

// Deciphers every item of a loaded control file as the decoding does: the program
// and EEPROM areas in 64-byte chunks, then each parameter block with its length.
uint32_t DecipherItems(CDes& des, const ControlFile& file) {
    des.SetKey(file.header + kHeaderKeyOffset);
    uint32_t sum = 0;
    des.DecryptBuffer(file.dataRegion + kIcDescriptorOffset, 16);
    const uint32_t words = des.m_output[5] | des.m_output[6] << 8;
    const uint32_t entries = des.m_output[7] | des.m_output[8] << 8;
    for (uint32_t at = 0; at < 2 * words; at += 64) {
        des.DecryptBuffer(file.dataRegion + kProgramAreaOffset + at, 64);
        sum += des.m_output[0];
    }
    for (uint32_t at = 0; at < 2 * entries; at += 64) {
        des.DecryptBuffer(file.dataRegion + kEepromAreaOffset + at, 64);
        sum += des.m_output[0];
    }
    const std::pair<uint32_t, uint32_t> items[] = {
        {kOptionBlockOffset, 44}, {kIcParamBlockOffset, 16}, {kSnBlockOffset, 34},
        {kPassBlockOffset, 8},    {kIdBlockOffset, 26},      {kProCheckSumOffset, 8},
        {kInrcSetOffset, 5},      {kLeveOffset, 1}};
    for (const auto& [offset, length] : items) {
        des.DecryptBuffer(file.dataRegion + offset, length);
        sum += des.m_output[0];
    }
    return sum;
}

void BM_FilesLoadControlFile(benchmark::State& state) {
    const std::string path = TempPath("control.ctl");
    WriteFile(path, TheControlFile());
    const std::wstring widePath = FromUtf8(path);
    auto file = std::make_unique<ControlFile>();
    for (auto _ : state) {
        if (LoadControlFile(widePath, *file) != ControlFileResult::Ok)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(file.get());
    }
    std::remove(path.c_str());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kControlFileLength));
}
BENCHMARK(BM_FilesLoadControlFile)->Unit(benchmark::kMicrosecond);

void BM_FilesDecipherControlItems(benchmark::State& state) {
    auto file = std::make_unique<ControlFile>();
    const std::vector<uint8_t>& bytes = TheControlFile();
    std::copy(bytes.begin(), bytes.begin() + kDataRegionLength, file->dataRegion);
    std::copy(bytes.begin() + kDataRegionLength + 4, bytes.end(), file->header);
    auto des = std::make_unique<CDes>();
    for (auto _ : state) benchmark::DoNotOptimize(DecipherItems(*des, *file));
    state.SetBytesProcessed(static_cast<int64_t>(
        state.iterations() * (33280 + 512 + 16 + 48 + 16 + 40 + 8 + 32 + 8 + 8 + 8)));
}
BENCHMARK(BM_FilesDecipherControlItems)->Unit(benchmark::kMillisecond);

// Loading and decoding into the record: what a configuration job spends on its file
// before the writer.
void BM_FilesLoadAndDecipherControlFile(benchmark::State& state) {
    const std::string path = TempPath("control2.ctl");
    WriteFile(path, TheControlFile());
    const std::wstring widePath = FromUtf8(path);
    auto file = std::make_unique<ControlFile>();
    auto record = std::make_unique<ConfigurationRecord>();
    for (auto _ : state) {
        if (LoadControlFile(widePath, *file) != ControlFileResult::Ok)
            state.SkipWithError("load failed");
        if (DecodeControlFileInto(*file, *record) != DecodeResult::Ok)
            state.SkipWithError("decoding failed");
        benchmark::DoNotOptimize(record.get());
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_FilesLoadAndDecipherControlFile)->Unit(benchmark::kMillisecond);

}  // namespace
