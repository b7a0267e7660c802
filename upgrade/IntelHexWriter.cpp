#include "upgrade/IntelHexWriter.h"

#include <algorithm>

namespace vantrel {

namespace {

void AppendByte(std::string& text, uint8_t value) {
    static const char kDigits[] = "0123456789ABCDEF";
    text += kDigits[value >> 4];
    text += kDigits[value & 0x0F];
}

}  // namespace

std::string IntelHexRecord(uint8_t type, uint16_t offset, const uint8_t* data, size_t count,
                           const std::string& lineEnd) {
    count = std::min<size_t>(count, 255);
    std::string line = ":";
    uint8_t sum = 0;
    auto put = [&](uint8_t value) {
        AppendByte(line, value);
        sum = static_cast<uint8_t>(sum + value);
    };
    put(static_cast<uint8_t>(count));
    put(static_cast<uint8_t>(offset >> 8));
    put(static_cast<uint8_t>(offset));
    put(type);
    for (size_t i = 0; i < count; ++i) put(data[i]);
    AppendByte(line, static_cast<uint8_t>(0x100 - sum));
    return line + lineEnd;
}

std::string BuildIntelHex(const std::vector<uint8_t>& image, const IntelHexOptions& options) {
    const uint32_t perRecord = std::clamp<uint32_t>(options.bytesPerRecord, 1, 255);
    std::string text;
    text.reserve(image.size() / perRecord * (11 + 2 * perRecord + options.lineEnd.size()) + 64);
    bool haveUpper = false;
    uint32_t upper = 0;
    size_t at = 0;
    while (at < image.size()) {
        const uint32_t address = options.baseAddress + static_cast<uint32_t>(at);
        const uint32_t toBoundary = 0x10000 - (address & 0xFFFF);
        const size_t count = std::min<size_t>({perRecord, toBoundary, image.size() - at});
        const bool allZero = std::all_of(image.begin() + at, image.begin() + at + count,
                                         [](uint8_t b) { return b == 0; });
        if (!(options.skipZeroRecords && allZero)) {
            if (!haveUpper || (address >> 16) != upper) {
                upper = address >> 16;
                haveUpper = true;
                const uint8_t value[2] = {static_cast<uint8_t>(upper >> 8),
                                          static_cast<uint8_t>(upper)};
                text += IntelHexRecord(0x04, 0, value, 2, options.lineEnd);
            }
            text += IntelHexRecord(0x00, static_cast<uint16_t>(address), image.data() + at, count,
                                   options.lineEnd);
        }
        at += count;
    }
    text += IntelHexRecord(0x01, 0, nullptr, 0, options.lineEnd);
    return text;
}

}  // namespace vantrel
