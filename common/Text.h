#pragma once
// Conversions between the tool's wide texts and UTF-8 (terminal output, Linux paths).

#include <cstdint>
#include <string>

namespace vantrel {

// UTF-16 (Windows) or UTF-32 (Linux) wide text to UTF-8. Unpaired surrogates
// become U+FFFD.
std::string ToUtf8(const std::wstring& text);
// UTF-8 to wide text. Malformed sequences become U+FFFD.
std::wstring FromUtf8(const std::string& text);

// Linux file names and arguments are bytes, not always UTF-8. In wide text a byte
// that is not part of well-formed UTF-8 (shortest form, no surrogates) is kept as
// U+DC80-U+DCFF (0xDC00 plus the byte), a value that well-formed UTF-8 never
// decodes to, so a name goes bytes -> wide -> bytes unchanged and two different
// names never meet in one wide text. (Windows names are wide already.)
std::wstring FromNativeBytes(const std::string& bytes);
// The bytes of a wide text made by FromNativeBytes (everything else as UTF-8).
std::string ToNativeBytes(const std::wstring& text);
// True, with the byte, when `c` stands for a byte that was not UTF-8. Always false
// on Windows, where names are wide.
bool IsEscapedByte(wchar_t c, uint8_t& byte);

// Reads a decimal or 0x-prefixed hexadecimal number; the whole text must be the
// number and it must fit in 32 bits.
bool ParseUint32(const std::wstring& text, uint32_t& value);

}  // namespace vantrel
