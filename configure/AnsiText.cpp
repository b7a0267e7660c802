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
// GBK to wide text through iconv; false when the bytes are not valid GBK or no
// converter is available.
bool GbkToWide(const uint8_t* bytes, uint32_t length, std::wstring& text) {
    iconv_t converter = iconv_open("UTF-8", "GBK");
    if (converter == reinterpret_cast<iconv_t>(-1)) return false;
    std::string input(reinterpret_cast<const char*>(bytes), length);
    std::string output(length * 4 + 4, '\0');  // a GBK character never needs more
    char* in = input.data();
    size_t inLeft = input.size();
    char* out = output.data();
    size_t outLeft = output.size();
    const size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
    iconv_close(converter);
    if (result == static_cast<size_t>(-1) || inLeft != 0) return false;
    output.resize(output.size() - outLeft);
    text = FromUtf8(output);
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

}  // namespace vantrel
