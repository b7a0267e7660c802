#pragma once
// Building commands in the command record and the data reports of bulk commands.
// A command sets only its own fields: every other byte of the record keeps what an
// earlier command left there, and travels with the command.

#include <cstdint>

#include "configure/ConfigurationRecord.h"

namespace vantrel {

// Sets bytes 0-7: the record's command family, the request kind, the command word
// and the length. The payload is left as it lies.
void SetCommandHeader(ConfigurationRecord& record, uint8_t requestKind, uint32_t commandWord,
                      uint16_t length);

// Sets the header and copies `length` payload bytes (at most 56) from `payload`.
void SetParameterCommand(ConfigurationRecord& record, uint32_t commandWord, const uint8_t* payload,
                         uint16_t length);

// The fields of a command record as they stand.
uint32_t CommandWordOf(const uint8_t commandRecord[64]);
uint16_t CommandLengthOf(const uint8_t commandRecord[64]);

// The IC settings: length 18 in the header, 22 payload bytes filled (the four
// beyond the length carry parameter bytes 12-15 all the same).
void BuildDownIcCommand(ConfigurationRecord& record);

// The descriptor option bytes: length 4, 6 (IC type 'C') or 8 ('B', 'D') in
// command family 2; in family 3 length 1, with descriptor byte 1 in payload byte 0,
// plus bit 0x10 for family number 53 when InrcSet byte 4 is 0.
void BuildDownOptCommand(ConfigurationRecord& record);

// Builds one 64-byte data report from the 64 source bytes at `source`: copied as
// they are when `raw`, otherwise each little-endian 16-bit word w becomes the two
// bytes (w & lowMask) and ((w >> highShift) & highMask).
void BuildDataReport(const uint8_t* source, bool raw, uint8_t lowMask, uint8_t highShift,
                     uint8_t highMask, uint8_t report[64]);

// True when the command word's upper half selects raw data reports.
bool IsRawDataCommand(uint32_t commandWord);

}  // namespace vantrel
