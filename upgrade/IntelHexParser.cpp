#include "upgrade/IntelHexParser.h"

#include <algorithm>

#include "upgrade/FirmwareImage.h"

namespace vantrel {

namespace {

constexpr uint32_t kDataRecord = 0x00;
constexpr uint32_t kEndRecord = 0x01;
constexpr uint32_t kSegmentRecord = 0x02;
constexpr uint32_t kLinearRecord = 0x04;

// The value of the field at [start, start + length), cut at the line end.
uint32_t Field(const std::string& line, size_t start, size_t length) {
    if (start >= line.size()) return 0;
    return HexFieldValue(line.data() + start, std::min(length, line.size() - start));
}

}  // namespace

IntelHexParser::IntelHexParser(uint8_t* image) : m_image(image) { m_line.reserve(kMaxUsefulLine); }

void IntelHexParser::Feed(const char* text, size_t length) {
    for (size_t i = 0; i < length && !m_ended; ++i) {
        const char c = text[i];
        if (c == '\n') {
            // A CR right before the LF belongs to the line end; when the line was too
            // long, the stored characters are not the ones before the LF.
            if (!m_lineTooLong && !m_line.empty() && m_line.back() == '\r') m_line.pop_back();
            ParseLine();
            continue;
        }
        m_lineStarted = true;
        if (m_line.size() < kMaxUsefulLine)
            m_line += c;
        else
            m_lineTooLong = true;
    }
}

void IntelHexParser::Finish() {
    if (!m_ended && m_lineStarted) ParseLine();
}

void IntelHexParser::ParseLine() {
    const uint32_t count = Field(m_line, 1, 2) & 0xFF;
    const uint32_t offset = Field(m_line, 3, 4) & 0xFFFF;
    const uint32_t type = Field(m_line, 7, 2) & 0xFF;
    switch (type) {
        case kDataRecord: {
            // 64-bit, so that a large segment or linear value cannot wrap back into
            // the image.
            const uint64_t address = offset + 16ull * m_segment + 65536ull * m_linear;
            for (uint32_t i = 0; i < count; ++i) {
                const uint8_t value = static_cast<uint8_t>(Field(m_line, 9 + 2 * i, 2));
                if (address + i < kFirmwareImageSize)
                    m_image[address + i] = value;
                else
                    ++m_dropped;
            }
            break;
        }
        case kEndRecord:
            m_ended = true;
            break;
        case kSegmentRecord:
            m_segment = Field(m_line, 9, 2 * count) & 0xFFFF;
            break;
        case kLinearRecord:
            m_linear = Field(m_line, 9, 2 * count) & 0xFFFF;
            break;
        default:
            break;
    }
    m_line.clear();
    m_lineTooLong = false;
    m_lineStarted = false;
}

uint64_t ParseIntelHex(std::string_view text, uint8_t* image) {
    IntelHexParser parser(image);
    parser.Feed(text.data(), text.size());
    parser.Finish();
    return parser.DroppedBytes();
}

}  // namespace vantrel
