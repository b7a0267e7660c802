#pragma once
// What inspect says about a firmware file: the file is deciphered in memory as the
// upgrade job would (same key, same handling of a short last block), and its
// Intel HEX records are read by position with the tool's own field rules. Anything
// the tool would read differently from what the text seems to say is a warning.

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::cli {

struct FirmwareInspection {
    uint64_t lines = 0;    // lines read up to the end record
    uint64_t records = 0;  // lines that start with ':'
    uint64_t dataRecords = 0;
    uint64_t dataBytes = 0;  // data bytes the tool stores or drops
    bool anyData = false;
    uint32_t lowestAddress = 0;   // of a data byte, when anyData
    uint32_t highestAddress = 0;  // of a data byte, when anyData
    uint64_t bytesOutsideImage = 0;
    bool endRecord = false;
    std::vector<uint64_t> badChecksumLines;  // 1-based line numbers
    std::vector<std::string> warnings;
};

// Deciphers a firmware file's bytes as the upgrade job does.
std::string DecipherFirmware(const std::vector<uint8_t>& file);

// Reads deciphered Intel HEX text as the upgrade job would.
FirmwareInspection InspectFirmwareText(const std::string& text);

// True when the bytes are Intel HEX text as it is, never enciphered.
bool LooksLikePlainIntelHex(const std::vector<uint8_t>& file);

}  // namespace vantrel::cli
