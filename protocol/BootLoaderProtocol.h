#pragma once
// The writer's boot-loader protocol: the command family, request kinds and command
// words of its commands, and the size of the pages they address.
//
// Command record: byte 0 the family, byte 1 the request kind, bytes 2-5 the command
// word (little-endian), bytes 8-10 the page's APROM address for the page commands.

#include <cstdint>

namespace vantrel {

// Byte 0 of every command sent to the boot loader.
constexpr uint8_t kBootLoaderFamily = 0x05;

// Request kinds (byte 1) and command words (bytes 2-5, little-endian).
constexpr uint8_t kEraseRequest = 1;
constexpr uint8_t kProgramRequest = 3;
constexpr uint8_t kChecksumRequest = 4;
constexpr uint8_t kQueryRequest = 5;
constexpr uint8_t kResetRequest = 1;
constexpr uint32_t kPageCommandWord = 0x00010001;
constexpr uint32_t kResetCommandWord = 0x00010002;

// The APROM is programmed in pages of this size; a program command is followed by
// the page's data in this many data reports.
constexpr uint32_t kApromPageSize = 512;
constexpr int kProgramDataReports = 8;

}  // namespace vantrel
