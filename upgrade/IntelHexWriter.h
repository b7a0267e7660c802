#pragma once
// Writes a binary image as Intel HEX text (for the tools that make firmware files,
// and for tests).

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

struct IntelHexOptions {
    // Address of the image's first byte.
    uint32_t baseAddress = 0;
    // Data bytes per record (1 to 255).
    uint32_t bytesPerRecord = 16;
    // Line end of every record: "\r\n" or "\n".
    std::string lineEnd = "\r\n";
    // Leave out records whose bytes are all zero (a loaded image starts all zero).
    bool skipZeroRecords = false;
};

// Data records (type 00) for the whole image, an extended linear address record
// (type 04) before the first record and whenever a record starts in another 64 KiB
// block, and the end-of-file record (type 01). Records never cross a 64 KiB
// boundary. Upper-case hex digits, correct record checksums.
std::string BuildIntelHex(const std::vector<uint8_t>& image, const IntelHexOptions& options = {});

// One record line, with its checksum and line end: ":LLAAAATT<data>CC".
std::string IntelHexRecord(uint8_t type, uint16_t offset, const uint8_t* data, size_t count,
                           const std::string& lineEnd = "\r\n");

}  // namespace vantrel
