#include "cli/FirmwareReport.h"

#include <cstdio>
#include <cstring>

#include "cipher/Des.h"
#include "upgrade/FirmwareImage.h"

namespace vantrel::cli {

namespace {

constexpr size_t kMaxWarnings = 20;

bool IsUpperHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

bool IsAnyHex(char c) { return IsUpperHex(c) || (c >= 'a' && c <= 'f'); }

int AnyHexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}

// The field at [from, from + length) of the line, cut at the line's end.
uint32_t Field(const std::string& line, size_t from, size_t length) {
    if (from >= line.size()) return 0;
    const size_t n = std::min(length, line.size() - from);
    return HexFieldValue(line.data() + from, n);
}

// A character as a warning shows it: printable ASCII as it is, anything else as \xNN.
std::string Shown(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7F) return std::string(1, c);
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\x%02X", u);
    return buffer;
}

class Reader {
public:
    explicit Reader(FirmwareInspection& report) : m_report(report) {}

    void Warn(uint64_t lineNumber, const std::string& what) {
        ++m_warningCount;
        if (m_report.warnings.size() < kMaxWarnings) {
            m_report.warnings.push_back("line " + std::to_string(lineNumber) + ": " + what);
        }
    }

    void Line(const std::string& line, uint64_t number) {
        ++m_report.lines;
        if (line.empty()) return;
        if (line[0] != ':') {
            Warn(number, "does not start with ':' (read as a record all the same)");
        } else {
            ++m_report.records;
        }
        const uint32_t count = Field(line, 1, 2) & 0xFF;
        const uint32_t offset = Field(line, 3, 4) & 0xFFFF;
        const uint32_t type = Field(line, 7, 2) & 0xFF;
        const size_t wanted = 9 + 2 * static_cast<size_t>(count) + 2;

        // Characters the tool reads as the digit 0.
        for (size_t i = 1; i < line.size() && i < wanted; ++i) {
            if (!IsUpperHex(line[i])) {
                Warn(number, "character '" + Shown(line[i]) + "' at position " + std::to_string(i) +
                                 " is read as the digit 0");
                break;
            }
        }
        if (line.size() < wanted) {
            Warn(number, "shorter than its byte count says (" + std::to_string(line.size()) +
                             " characters, " + std::to_string(wanted) + " expected)");
        } else if (line.size() > wanted) {
            Warn(number, "longer than its byte count says; the rest is not read");
        }
        CheckSum(line, count, number);

        switch (type) {
            case 0x00:
                Data(count, offset, number);
                break;
            case 0x01:
                m_report.endRecord = true;
                break;
            case 0x02:
                m_segment = Field(line, 9, 2 * static_cast<size_t>(count)) & 0xFFFF;
                break;
            case 0x04:
                m_linear = Field(line, 9, 2 * static_cast<size_t>(count)) & 0xFFFF;
                break;
            default:
                Warn(number, "record type " + std::to_string(type) + " is ignored");
                break;
        }
    }

    void Finish() {
        if (m_warningCount > m_report.warnings.size()) {
            m_report.warnings.push_back(std::to_string(m_warningCount - m_report.warnings.size()) +
                                        " more warnings not shown");
        }
    }

private:
    void CheckSum(const std::string& line, uint32_t count, uint64_t number) {
        const size_t end = 9 + 2 * static_cast<size_t>(count) + 2;
        if (line.size() < end) return;  // already reported as short
        uint32_t sum = 0;
        for (size_t i = 1; i + 1 < end; i += 2) {
            if (!IsAnyHex(line[i]) || !IsAnyHex(line[i + 1])) return;
            sum += static_cast<uint32_t>(AnyHexValue(line[i]) * 16 + AnyHexValue(line[i + 1]));
        }
        if ((sum & 0xFF) != 0) {
            m_report.badChecksumLines.push_back(number);
            Warn(number, "record checksum does not match (the tool stores the record anyway)");
        }
    }

    void Data(uint32_t count, uint32_t offset, uint64_t number) {
        ++m_report.dataRecords;
        const uint64_t base =
            static_cast<uint64_t>(offset) + 16ull * m_segment + 65536ull * m_linear;
        uint64_t outside = 0;
        for (uint32_t i = 0; i < count; ++i) {
            const uint64_t address = base + i;
            ++m_report.dataBytes;
            if (address >= kFirmwareImageSize) {
                ++outside;
                continue;
            }
            const uint32_t a = static_cast<uint32_t>(address);
            if (!m_report.anyData || a < m_report.lowestAddress) m_report.lowestAddress = a;
            if (!m_report.anyData || a > m_report.highestAddress) m_report.highestAddress = a;
            m_report.anyData = true;
        }
        if (outside > 0) {
            m_report.bytesOutsideImage += outside;
            Warn(number, std::to_string(outside) +
                             " data bytes fall outside the 69,632-byte image and are dropped");
        }
    }

    FirmwareInspection& m_report;
    uint32_t m_segment = 0;
    uint32_t m_linear = 0;
    size_t m_warningCount = 0;
};

}  // namespace

std::string DecipherFirmware(const std::vector<uint8_t>& file) {
    CDes des;
    des.SetKey(kFirmwareKey);
    std::string text;
    text.reserve(file.size() + 8);
    uint8_t block[8] = {};
    for (size_t at = 0; at < file.size(); at += 8) {
        // A short last block overwrites only the start of the buffer; the rest keeps
        // the previous block's ciphertext, as the upgrade job reads it.
        const size_t n = std::min<size_t>(8, file.size() - at);
        std::memcpy(block, file.data() + at, n);
        des.DecryptBlock(block);
        text.append(reinterpret_cast<const char*>(des.m_decryptedBlock), 8);
    }
    return text;
}

bool LooksLikePlainIntelHex(const std::vector<uint8_t>& file) {
    if (file.empty() || file[0] != ':') return false;
    for (uint8_t b : file) {
        if (b != '\r' && b != '\n' && b != ':' && !IsAnyHex(static_cast<char>(b))) return false;
    }
    return true;
}

FirmwareInspection InspectFirmwareText(const std::string& text) {
    FirmwareInspection report;
    Reader reader(report);
    size_t start = 0;
    uint64_t number = 0;
    while (start < text.size() && !report.endRecord) {
        size_t end = text.find('\n', start);
        const bool lastLine = end == std::string::npos;
        if (lastLine) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        ++number;
        // The zero bytes that pad the last block are not a line of their own.
        if (!(lastLine && line.find_first_not_of('\0') == std::string::npos)) {
            reader.Line(line, number);
        }
        start = end + 1;
    }
    if (report.records == 0 && report.lines > 0) {
        report.warnings.insert(report.warnings.begin(),
                               "no line starts with ':': this is not Intel HEX text (not a "
                               "firmware file, or one enciphered under another key)");
    }
    if (!report.endRecord) {
        report.warnings.push_back("no end-of-file record (type 01)");
    }
    reader.Finish();
    return report;
}

}  // namespace vantrel::cli
