#include "common/Text.h"

#include <cstdint>

namespace vantrel {

namespace {

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendWide(std::wstring& out, uint32_t cp) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (cp >> 10));
            out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
            return;
        }
    }
    out += static_cast<wchar_t>(cp);
}

}  // namespace

std::string ToUtf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = static_cast<uint32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            cp &= 0xFFFF;
            if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
                uint32_t lo = static_cast<uint32_t>(text[i + 1]) & 0xFFFF;
                if (lo >= 0xDC00 && lo <= 0xDFFF) {
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                    ++i;
                }
            }
        }
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = 0xFFFD;
        AppendUtf8(out, cp);
    }
    return out;
}

std::wstring FromUtf8(const std::string& text) {
    std::wstring out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        uint8_t b = static_cast<uint8_t>(text[i]);
        int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + extra >= text.size() + (extra == 0 ? 1 : 0)) {
            if (extra != 0) {
                AppendWide(out, 0xFFFD);
                ++i;
                continue;
            }
        }
        uint32_t cp = extra == 0 ? b : (b & (0x3F >> extra));
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= text.size()) {
                ok = false;
                break;
            }
            uint8_t c = static_cast<uint8_t>(text[i + k]);
            if ((c & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!ok || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            AppendWide(out, 0xFFFD);
            ++i;
            continue;
        }
        AppendWide(out, cp);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

bool IsEscapedByte(wchar_t c, uint8_t& byte) {
    if constexpr (sizeof(wchar_t) == 2) {
        return false;
    } else {
        const auto value = static_cast<uint32_t>(c);
        if (value < 0xDC80 || value > 0xDCFF) return false;
        byte = static_cast<uint8_t>(value - 0xDC00);
        return true;
    }
}

namespace {

// The length of the well-formed UTF-8 sequence at `at` (1-4), or 0 when the bytes
// there are not one.
size_t WellFormedLength(const std::string& s, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(s[i]); };
    const uint8_t b = byte(at);
    if (b < 0x80) return 1;
    size_t length;
    uint8_t low = 0x80;
    uint8_t high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        if (b == 0xE0) low = 0xA0;   // shortest form
        if (b == 0xED) high = 0x9F;  // no surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        if (b == 0xF0) low = 0x90;   // shortest form
        if (b == 0xF4) high = 0x8F;  // at most U+10FFFF
    } else {
        return 0;
    }
    if (at + length > s.size()) return 0;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (size_t i = 2; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
    }
    return length;
}

}  // namespace

std::wstring FromNativeBytes(const std::string& bytes) {
    if constexpr (sizeof(wchar_t) == 2) {
        return FromUtf8(bytes);
    } else {
        std::wstring out;
        out.reserve(bytes.size());
        size_t at = 0;
        while (at < bytes.size()) {
            const size_t length = WellFormedLength(bytes, at);
            if (length == 0) {
                out += static_cast<wchar_t>(0xDC00 + static_cast<uint8_t>(bytes[at]));
                ++at;
            } else {
                out += FromUtf8(bytes.substr(at, length));
                at += length;
            }
        }
        return out;
    }
}

std::string ToNativeBytes(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    size_t runStart = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        uint8_t byte = 0;
        if (!IsEscapedByte(text[i], byte)) continue;
        out += ToUtf8(text.substr(runStart, i - runStart));
        out += static_cast<char>(byte);
        runStart = i + 1;
    }
    out += ToUtf8(text.substr(runStart));
    return out;
}

bool ParseUint32(const std::wstring& text, uint32_t& value) {
    size_t i = 0;
    unsigned base = 10;
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        base = 16;
        i = 2;
    }
    if (i >= text.size()) return false;
    uint64_t result = 0;
    for (; i < text.size(); ++i) {
        const wchar_t c = text[i];
        unsigned digit;
        if (c >= L'0' && c <= L'9') {
            digit = static_cast<unsigned>(c - L'0');
        } else if (base == 16 && c >= L'a' && c <= L'f') {
            digit = static_cast<unsigned>(c - L'a' + 10);
        } else if (base == 16 && c >= L'A' && c <= L'F') {
            digit = static_cast<unsigned>(c - L'A' + 10);
        } else {
            return false;
        }
        if (digit >= base) return false;
        result = result * base + digit;
        if (result > 0xFFFFFFFFull) return false;
    }
    value = static_cast<uint32_t>(result);
    return true;
}

}  // namespace vantrel
