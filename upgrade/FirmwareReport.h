#pragma once
// What the front end says about a firmware file beyond the dialog's own texts:
// each problem that the upgrade's check found, with its line, and what the check
// noted on the way (data dropped outside the image, records of no effect).

#include <cstdint>
#include <string>
#include <vector>

#include "upgrade/FirmwareCheck.h"

namespace vantrel {

// "line 3: the record checksum does not match", "no end-of-file record ...".
std::wstring ProblemLine(const FirmwareProblem& problem);

// Every problem kept, one line each, and a last line for those not kept.
std::vector<std::wstring> ProblemLines(const FirmwareCheck& check);

// The notes kept, one line each ("line 4: 2 data bytes fall outside the 69,632-byte
// image and are dropped"), and a last line for those not kept.
std::vector<std::wstring> NoteLines(const FirmwareCheck& check);

// True when the bytes are Intel HEX text as it is, never enciphered.
bool LooksLikePlainIntelHex(const std::vector<uint8_t>& file);

}  // namespace vantrel
