#include "configure/AnsiText.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>

#include "common/Text.h"
#endif

namespace vantrel {

namespace {

uint32_t TextLength(const uint8_t* bytes, uint32_t maxLength) {
    uint32_t length = 0;
    while (length < maxLength && bytes[length] != 0) ++length;
    return length;
}

#ifndef _WIN32
// One conversion through iconv; false when a character cannot be converted (or no
// converter is available). Nothing is ever replaced.
bool Convert(const char* to, const char* from, const std::string& input, std::string& output) {
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) return false;
    std::string in = input;
    output.assign(input.size() * 4 + 4, '\0');  // no character grows beyond four bytes
    char* inAt = in.data();
    size_t inLeft = in.size();
    char* outAt = output.data();
    size_t outLeft = output.size();
    const size_t result = iconv(converter, &inAt, &inLeft, &outAt, &outLeft);
    iconv_close(converter);
    if (result == static_cast<size_t>(-1) || inLeft != 0) return false;
    output.resize(output.size() - outLeft);
    return true;
}

// GBK to wide text; false when the bytes are not valid GBK.
bool GbkToWide(const uint8_t* bytes, uint32_t length, std::wstring& text) {
    std::string utf8;
    if (!Convert("UTF-8", "GBK", std::string(reinterpret_cast<const char*>(bytes), length), utf8)) {
        return false;
    }
    text = FromUtf8(utf8);
    return true;
}
#endif

}  // namespace

std::wstring AnsiToWide(const uint8_t* bytes, uint32_t maxLength) {
    const uint32_t length = TextLength(bytes, maxLength);
    if (length == 0) return std::wstring();
#ifdef _WIN32
    const auto* source = reinterpret_cast<const char*>(bytes);
    const int count = MultiByteToWideChar(CP_ACP, 0, source, static_cast<int>(length), nullptr, 0);
    if (count <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(CP_ACP, 0, source, static_cast<int>(length), text.data(), count);
    return text;
#else
    bool ascii = true;
    for (uint32_t i = 0; i < length; ++i) ascii = ascii && bytes[i] < 0x80;
    std::wstring text;
    if (!ascii && GbkToWide(bytes, length, text)) return text;
    text.clear();
    for (uint32_t i = 0; i < length; ++i) text.push_back(static_cast<wchar_t>(bytes[i]));
    return text;
#endif
}

bool WideToGbk(const std::wstring& text, std::string& bytes) {
    bytes.clear();
    if (text.empty()) return true;
#ifdef _WIN32
    BOOL usedDefault = FALSE;
    const int count =
        WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                            nullptr, 0, nullptr, &usedDefault);
    if (count <= 0 || usedDefault) return false;
    bytes.assign(static_cast<size_t>(count), '\0');
    WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                        bytes.data(), count, nullptr, &usedDefault);
    return !usedDefault;
#else
    return Convert("GBK", "UTF-8", ToUtf8(text), bytes);
#endif
}

}  // namespace vantrel
