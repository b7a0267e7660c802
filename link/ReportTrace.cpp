#include "link/ReportTrace.h"

namespace vantrel {

std::string HexBytes(const uint8_t* bytes, size_t count) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(count * 2);
    for (size_t i = 0; i < count; ++i) {
        hex += kDigits[bytes[i] >> 4];
        hex += kDigits[bytes[i] & 0x0F];
    }
    return hex;
}

std::string ReportTraceLine(TraceDirection direction, std::string_view identity,
                            const uint8_t* data, size_t count) {
    std::string line = direction == TraceDirection::Out ? "OUT " : "IN ";
    line += identity;
    line += ' ';
    line += HexBytes(data, count);
    return line;
}

}  // namespace vantrel
