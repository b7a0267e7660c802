#pragma once
// What inspect says about a control file: it is loaded and checked with
// ParseControlFile and deciphered with DecodeControlFile, as a configuration would
// do it, without a writer.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/Json.h"
#include "configure/ConfigurationRecord.h"

namespace vantrel {

struct ControlInspection {
    bool valid = false;
    // The dialog's text for a file that fails its checks or its decoding.
    std::wstring error;
    bool headerRead = false;  // the file has the right length: the name is known
    std::wstring icName;      // the first 16 bytes of the header's name field
    // The deciphered record, with the values the configuration would use; set
    // when the file is valid.
    std::unique_ptr<ConfigurationRecord> record;
    std::wstring checksumMoe;     // the text next to "M+O+E：" after a configuration
    std::wstring checksumMemory;  // the text next to "MEMORY："
};

// Option block bytes 12-15, little-endian: the family that sets the word packing.
int32_t FamilyNumber(const ConfigurationRecord& record);

// The bytes of the file, read once by the caller.
ControlInspection InspectControlFile(const std::vector<uint8_t>& bytes, bool wideOptions);

// What inspect --json says of the file, appended to `j`: "ic_name", the decoded
// values (each null when the file is refused), "valid" and, when it is not, "error".
void AddControlFileFields(OrderedJson& j, const ControlInspection& inspection);

// What inspect prints of the file after its name, one line each.
std::vector<std::wstring> ControlFileLines(const ControlInspection& inspection);

}  // namespace vantrel
