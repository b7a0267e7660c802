#pragma once
// Deciphering a checked control file into the configuration record: limits,
// refusal texts and the conversion of the 56-byte option layout.

#include <cstdint>

namespace vantrel {

// The program area of the data region holds 33280 bytes (16640 words); a larger
// count would decipher the EEPROM area, and beyond 17248 words bytes past the end
// of the data region, as program code.
constexpr uint32_t kMaxProgramWords = 16640;
// The EEPROM area holds 256 entries of two bytes.
constexpr uint32_t kMaxEepromCount = 256;

constexpr const wchar_t* kProgramSizeOutOfRangeText = L"数据错误：ProgramSize 越界";
constexpr const wchar_t* kEepromSizeOutOfRangeText = L"数据错误：EERomSize 越界";

// Copies the fields of the 56-byte option layout to their places in the 44-byte
// one: 4-5, 8-17 and 20-27 stay where they are, 32-35 move to 28-31 and 40-49 to
// 32-41. Bytes 0-3, 6-7, 18-19 and 42-43 of `narrow` are left as they are.
void ConvertWideOptionBlock(const uint8_t wide[56], uint8_t narrow[44]);

}  // namespace vantrel
