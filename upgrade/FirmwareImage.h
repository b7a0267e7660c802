#pragma once
// The firmware image: the writer's whole programmable APROM, and the reader of
// enciphered Intel HEX firmware files.

#include <cstdint>
#include <string>

#include "protocol/BootLoaderProtocol.h"

namespace vantrel {

constexpr uint32_t kFirmwareImageSize = 69632;  // 136 pages of 512 bytes
constexpr uint32_t kPageSize = kApromPageSize;
constexpr uint32_t kPageCount = 136;

// The fixed key under which firmware files are enciphered.
extern const uint8_t kFirmwareKey[8];

// The value of an Intel HEX field: '0'-'9' and 'A'-'F' are digits, every other
// character is a digit of value 0 that keeps its place.
uint32_t HexFieldValue(const char* field, size_t length);

// Sum modulo 2^32 of the 128 little-endian 32-bit words of one page.
uint32_t PageChecksum(const uint8_t* page);

}  // namespace vantrel
