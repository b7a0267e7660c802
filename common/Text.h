#pragma once
// Conversions between the tool's wide texts and UTF-8 (terminal output, Linux paths).

#include <string>

namespace vantrel {

// UTF-16 (Windows) or UTF-32 (Linux) wide text to UTF-8. Unpaired surrogates
// become U+FFFD.
std::string ToUtf8(const std::wstring& text);
// UTF-8 to wide text. Malformed sequences become U+FFFD.
std::wstring FromUtf8(const std::string& text);

}  // namespace vantrel
