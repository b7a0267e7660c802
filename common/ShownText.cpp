#include "common/ShownText.h"

#include <cstdio>

#include "common/Text.h"

namespace vantrel {

namespace {

bool NeedsEscape(uint32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

std::wstring Shown(const std::wstring& text, bool escapeBackslash) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t ch = text[i];
        const auto c = static_cast<uint32_t>(ch) & (sizeof(wchar_t) == 2 ? 0xFFFF : 0xFFFFFFFF);
        if constexpr (sizeof(wchar_t) == 2) {
            // A surrogate pair is one character and passes as it is.
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() &&
                (static_cast<uint32_t>(text[i + 1]) & 0xFC00) == 0xDC00) {
                out += ch;
                out += text[++i];
                continue;
            }
        }
        wchar_t buffer[16];
        uint8_t raw = 0;
        if (c == L'\\' && escapeBackslash) {
            out += L"\\\\";
        } else if (NeedsEscape(c)) {
            std::swprintf(buffer, 16, c < 0x100 ? L"\\x%02X" : L"\\u%04X", c);
            out += buffer;
        } else if (IsEscapedByte(ch, raw)) {
            std::swprintf(buffer, 16, L"\\x%02X", raw);
            out += buffer;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            // A lone surrogate of a Windows name (a pair was already combined).
            std::swprintf(buffer, 16, L"\\u%04X", c);
            out += buffer;
        } else {
            out += ch;
        }
    }
    return out;
}

}  // namespace

std::wstring ShownText(const std::wstring& text) { return Shown(text, true); }

std::wstring ShownPath(const std::wstring& path) { return Shown(path, false); }

}  // namespace vantrel
