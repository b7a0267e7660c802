#pragma once
// What inspect says about a control file: it is loaded and checked with
// ParseControlFile and deciphered with DecodeConfiguration of a core that sits over
// a platform without devices and a view that only keeps the texts, so that no
// writer is ever addressed. The values are those the configuration would use.

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::cli {

struct ControlInspection {
    bool valid = false;
    // The dialog's text for a file that fails its checks or its decoding.
    std::wstring error;
    bool headerRead = false;  // the file has the right length: the name is known
    std::wstring icName;      // the first 16 bytes of the header's name field
    bool decoded = false;     // the fields below hold values
    uint8_t icType = 0;
    uint32_t programWords = 0;
    uint32_t eepromCount = 0;
    int32_t familyNumber = 0;
    uint32_t commandFamily = 0;
    uint32_t lowMask = 0;
    uint32_t highShift = 0;
    uint32_t highMask = 0;
    uint32_t familyTag = 0;
    uint32_t packFlag = 0;
    bool asksProgramMode = false;
    std::wstring checksumMoe;     // the text next to "M+O+E：" after a configuration
    std::wstring checksumMemory;  // the text next to "MEMORY："
    uint32_t leve = 0;
};

// The bytes of the file, read once by the caller.
ControlInspection InspectControlFile(const std::vector<uint8_t>& bytes, bool wideOptions);

}  // namespace vantrel::cli
