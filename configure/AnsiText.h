#pragma once
// 8-bit text in the ANSI code page, as the IC name of a control file holds it.

#include <cstdint>
#include <string>

namespace vantrel {

// Converts at most `maxLength` bytes, up to the first zero byte, to wide text.
// Windows uses the ANSI code page of the system (CP_ACP). Elsewhere the bytes are
// read as GBK (code page 936, the code page the IC names are written in); a name
// that is not valid GBK is read as Latin-1, so every byte still shows.
std::wstring AnsiToWide(const uint8_t* bytes, uint32_t maxLength);

// The text in GBK (code page 936), the encoding the IC names are written in: false
// when a character has no GBK form (no character is ever replaced by another).
bool WideToGbk(const std::wstring& text, std::string& bytes);

}  // namespace vantrel
