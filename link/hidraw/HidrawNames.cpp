#include "link/hidraw/HidrawNames.h"

#include <cstdio>

#include "common/Text.h"

namespace vantrel::hidraw {

namespace {

const char kNamePrefix[] = "hidraw#";

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool AllHex(const std::string& text, size_t from, size_t count) {
    if (from + count > text.size()) return false;
    for (size_t i = from; i < from + count; ++i)
        if (!IsHexDigit(text[i])) return false;
    return true;
}

// BBBB:VVVV:PPPP.NNNN
bool IsHidDeviceName(const std::string& part) {
    return part.size() == 19 && AllHex(part, 0, 4) && part[4] == ':' && AllHex(part, 5, 4) &&
           part[9] == ':' && AllHex(part, 10, 4) && part[14] == '.' && AllHex(part, 15, 4);
}

uint16_t Hex16(const std::string& text, size_t from, size_t count) {
    return static_cast<uint16_t>(std::stoul(text.substr(from, count), nullptr, 16) & 0xFFFF);
}

}  // namespace

std::string HidDeviceNameOf(const std::string& syspath) {
    // The last matching component: the HID device nearest to the node.
    size_t end = syspath.size();
    while (end > 0) {
        const size_t slash = syspath.rfind('/', end - 1);
        const size_t start = slash == std::string::npos ? 0 : slash + 1;
        const std::string part = syspath.substr(start, end - start);
        if (IsHidDeviceName(part)) return part;
        if (slash == std::string::npos) break;
        end = slash;
    }
    return std::string();
}

std::wstring InterfaceName(const std::string& syspath, const std::string& devnode) {
    const std::string hidName = HidDeviceNameOf(syspath);
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    if (!hidName.empty()) {
        vendorId = Hex16(hidName, 5, 4);
        productId = Hex16(hidName, 10, 4);
    }
    char ids[32];
    std::snprintf(ids, sizeof ids, "VID_%04X&PID_%04X", vendorId, productId);
    return FromUtf8(std::string(kNamePrefix) + ids + "#" + hidName + "#" + devnode);
}

std::string DevnodeOf(const std::wstring& name) {
    const std::string text = ToUtf8(name);
    if (text.compare(0, sizeof kNamePrefix - 1, kNamePrefix) != 0) return std::string();
    const size_t hash = text.rfind('#');
    if (hash == std::string::npos || hash + 1 >= text.size()) return std::string();
    const std::string devnode = text.substr(hash + 1);
    return devnode.front() == '/' ? devnode : std::string();
}

bool ParseHidId(const std::string& text, uint16_t& vendorId, uint16_t& productId) {
    const size_t first = text.find(':');
    const size_t second = first == std::string::npos ? first : text.find(':', first + 1);
    if (second == std::string::npos) return false;
    const std::string vendor = text.substr(first + 1, second - first - 1);
    const std::string product = text.substr(second + 1);
    auto parse = [](const std::string& digits, uint16_t& value) {
        if (digits.empty() || digits.size() > 8 || !AllHex(digits, 0, digits.size())) return false;
        const unsigned long number = std::stoul(digits, nullptr, 16);
        if (number > 0xFFFF) return false;
        value = static_cast<uint16_t>(number);
        return true;
    };
    uint16_t v = 0;
    uint16_t p = 0;
    if (!parse(vendor, v) || !parse(product, p)) return false;
    vendorId = v;
    productId = p;
    return true;
}

bool ParseHex16(const std::string& text, uint16_t& value) {
    size_t begin = 0;
    size_t end = text.size();
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (begin < end && space(text[begin])) ++begin;
    while (end > begin && space(text[end - 1])) --end;
    const size_t count = end - begin;
    if (count == 0 || count > 4 || !AllHex(text, begin, count)) return false;
    value = Hex16(text, begin, count);
    return true;
}

}  // namespace vantrel::hidraw
