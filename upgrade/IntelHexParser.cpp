#include "upgrade/IntelHexParser.h"

#include <algorithm>
#include <cstring>

#include "upgrade/FirmwareImage.h"

namespace vantrel {

namespace {

constexpr uint32_t kDataRecord = 0x00;
constexpr uint32_t kEndRecord = 0x01;
constexpr uint32_t kSegmentRecord = 0x02;
constexpr uint32_t kLinearRecord = 0x04;
constexpr uint32_t kStartSegmentRecord = 0x03;
constexpr uint32_t kStartLinearRecord = 0x05;

// The value of the field at [start, start + length), cut at the line end.
uint32_t Field(std::string_view line, size_t start, size_t length) {
    if (start >= line.size()) return 0;
    return HexFieldValue(line.data() + start, std::min(length, line.size() - start));
}

// The value of an upper- or lower-case hexadecimal digit.
uint32_t DigitValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<uint32_t>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<uint32_t>(c - 'A' + 10);
    return static_cast<uint32_t>(c - 'a' + 10);
}

}  // namespace

IntelHexParser::IntelHexParser(uint8_t* image) : m_image(image) { m_line.reserve(kStoredLine); }

void IntelHexParser::Feed(const char* text, size_t length) {
    for (size_t i = 0; i < length && !m_ended; ++i) {
        const char c = text[i];
        if (c == '\n') {
            // A CR right before the LF belongs to the line end; when the line was too
            // long, the stored characters are not the ones before the LF.
            if (!m_lineTooLong && !m_line.empty() && m_line.back() == '\r') m_line.pop_back();
            ParseLine(m_line, m_lineTooLong, false);
            m_line.clear();
            m_lineTooLong = false;
            m_lineStarted = false;
            continue;
        }
        m_lineStarted = true;
        if (m_line.size() < kStoredLine)
            m_line += c;
        else
            m_lineTooLong = true;
    }
}

void IntelHexParser::ParseText(std::string_view text) {
    if (m_lineStarted) {
        // A line begun by Feed: finish it character by character.
        const size_t end = text.find('\n');
        const size_t upTo = end == std::string_view::npos ? text.size() : end + 1;
        Feed(text.data(), upTo);
        text.remove_prefix(upTo);
    }
    while (!text.empty() && !m_ended) {
        const void* lf = std::memchr(text.data(), '\n', text.size());
        if (lf == nullptr) {
            // The last line, without a line end: kept for Finish as Feed would.
            Feed(text.data(), text.size());
            return;
        }
        const size_t end = static_cast<size_t>(static_cast<const char*>(lf) - text.data());
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ParseLine(line.substr(0, kStoredLine), line.size() > kStoredLine, false);
        text.remove_prefix(end + 1);
    }
}

void IntelHexParser::Finish() {
    if (m_finished) return;
    m_finished = true;
    if (!m_ended && m_lineStarted) ParseLine(m_line, m_lineTooLong, true);
    m_line.clear();
    m_lineStarted = false;
    if (!m_check.endRecord) Problem(FirmwareProblemKind::NoEndRecord, 0);
    if (!m_check.anyData) Problem(FirmwareProblemKind::NoDataInImage, 0);
}

void IntelHexParser::Problem(FirmwareProblemKind kind, uint64_t line) {
    ++m_check.problemCount;
    if (m_check.problems.size() < FirmwareCheck::kMaxKept) m_check.problems.push_back({kind, line});
}

void IntelHexParser::Note(FirmwareNoteKind kind, uint64_t value) {
    ++m_check.noteCount;
    if (m_check.notes.size() < FirmwareCheck::kMaxKept)
        m_check.notes.push_back({kind, m_check.lines, value});
}

void IntelHexParser::CheckRecord(std::string_view line, uint32_t count, bool cut) {
    bool anyCase = true;  // every character a hexadecimal digit of either case
    bool upper = true;    // every character 0-9 or A-F
    // Only the part of a line that a record can use is looked at, however it was read.
    const size_t scanned = std::min(line.size(), kMaxUsefulLine + 1);
    for (size_t i = 1; i < scanned; ++i) {
        const char c = line[i];
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) continue;
        upper = false;
        if (!(c >= 'a' && c <= 'f')) {
            anyCase = false;
            break;
        }
    }
    if (!upper) Problem(FirmwareProblemKind::BadCharacter, m_check.lines);
    if (cut || line.size() != 11 + 2 * static_cast<size_t>(count)) {
        Problem(FirmwareProblemKind::WrongLength, m_check.lines);
        return;
    }
    if (!anyCase) return;  // no checksum to speak of
    uint32_t sum = 0;
    for (size_t i = 1; i < line.size(); i += 2)
        sum += DigitValue(line[i]) * 16 + DigitValue(line[i + 1]);
    if ((sum & 0xFF) != 0) Problem(FirmwareProblemKind::WrongChecksum, m_check.lines);
}

void IntelHexParser::StoreData(std::string_view line, uint32_t count, uint32_t offset) {
    ++m_check.dataRecords;
    m_check.dataBytes += count;
    // 64-bit, so that a large segment or linear value cannot wrap back into the image.
    const uint64_t address = offset + 16ull * m_segment + 65536ull * m_linear;
    uint64_t dropped = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t at = address + i;
        if (at >= kFirmwareImageSize) {
            ++dropped;
            continue;
        }
        m_image[at] = static_cast<uint8_t>(Field(line, 9 + 2 * i, 2));
        const uint32_t stored = static_cast<uint32_t>(at);
        if (!m_check.anyData || stored < m_check.lowestAddress) m_check.lowestAddress = stored;
        if (!m_check.anyData || stored > m_check.highestAddress) m_check.highestAddress = stored;
        m_check.anyData = true;
    }
    if (dropped != 0) {
        m_check.bytesOutsideImage += dropped;
        Note(FirmwareNoteKind::BytesOutsideImage, dropped);
    }
}

void IntelHexParser::ParseLine(std::string_view line, bool cut, bool last) {
    if (last && !cut) {
        // The zero bytes that complete the last cipher block end the text: up to 7
        // of them are no part of its last line.
        for (int i = 0; i < 7 && !line.empty() && line.back() == '\0'; ++i) line.remove_suffix(1);
        if (line.empty()) return;
    }
    ++m_check.lines;
    if (line.empty()) return;  // reads as a data record of no bytes: no effect
    const bool record = line[0] == ':';
    const uint32_t count = Field(line, 1, 2) & 0xFF;
    const uint32_t offset = Field(line, 3, 4) & 0xFFFF;
    const uint32_t type = Field(line, 7, 2) & 0xFF;
    if (record) {
        ++m_check.records;
        CheckRecord(line, count, cut);
    } else {
        Problem(FirmwareProblemKind::NotARecord, m_check.lines);
    }
    switch (type) {
        case kDataRecord:
            StoreData(line, count, offset);
            break;
        case kEndRecord:
            m_ended = true;
            m_check.endRecord = true;
            break;
        case kSegmentRecord:
            m_segment = Field(line, 9, 2 * count) & 0xFFFF;
            break;
        case kLinearRecord:
            m_linear = Field(line, 9, 2 * count) & 0xFFFF;
            break;
        case kStartSegmentRecord:
        case kStartLinearRecord:
            break;  // start addresses mean nothing to the writer
        default:
            Note(FirmwareNoteKind::IgnoredRecordType, type);
            break;
    }
}

uint64_t ParseIntelHex(std::string_view text, uint8_t* image) {
    IntelHexParser parser(image);
    parser.ParseText(text);
    parser.Finish();
    return parser.DroppedBytes();
}

}  // namespace vantrel
