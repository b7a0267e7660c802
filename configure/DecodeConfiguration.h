#pragma once
// Deciphering a checked control file into the configuration record: limits,
// refusal texts and the conversion of the 56-byte option layout. A plain function
// of the file and the record: no writer, no thread, no view.

#include <cstdint>
#include <memory>

#include "configure/ConfigurationRecord.h"
#include "configure/ControlFile.h"

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

enum class DecodeResult { Ok, ProgramSizeOutOfRange, EepromSizeOutOfRange };

// The message-box text of a refused decoding ("" for Ok).
const wchar_t* DecodeResultText(DecodeResult result);

// Deciphers every item of `file` on its own (DES, electronic codebook) under the
// header's key into its member of `record`, with the option layout that
// record.m_bWideOptionBlock names (1: the 56-byte one), and derives the word packing
// and the command family. Nothing else of the record is cleared, so bytes that a
// decoding does not reach keep their earlier contents. A program count beyond the
// program area is refused before anything is read; an EEPROM count beyond 256
// after the program image.
DecodeResult DecodeControlFileInto(const ControlFile& file, ConfigurationRecord& record);

// A fresh record decoded from `file` (the record is large: it lives on the heap).
struct DecodedControlFile {
    DecodeResult result = DecodeResult::Ok;
    std::unique_ptr<ConfigurationRecord> record;  // also set when refused
};
DecodedControlFile DecodeControlFile(const ControlFile& file, bool wideOptions);

}  // namespace vantrel
