#pragma once
// What the front end says about a firmware file beyond the dialog's own texts:
// each problem that the upgrade's check found, with its line, and what the check
// noted on the way (data dropped outside the image, records of no effect).

#include <cstdint>
#include <string>
#include <vector>

#include "common/Json.h"
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

// What inspect says about a firmware file: the verdict and problems of the
// upgrade's own check, and the records described. A file that was never enciphered
// is described as it stands (what sealing it would give): the upgrade would
// decipher it into noise and refuse it.
struct FirmwareInspection {
    bool plain = false;
    FirmwareCheck verdict;    // the upgrade's check of the file as it is
    FirmwareCheck described;  // the records described: the text as it stands when plain
    std::vector<std::wstring> problems;
};

FirmwareInspection InspectFirmwareFile(const std::vector<uint8_t>& bytes);

// What inspect --json says of the file, appended to `j`: the records, the address
// range, the checks' findings and the verdict ("sound", "problems", "refusal").
void AddFirmwareFileFields(OrderedJson& j, const FirmwareInspection& report);

// What inspect prints of the file after its name, one line each.
std::vector<std::wstring> FirmwareFileLines(const FirmwareInspection& report);

// The upgrade's refusal text for the file; empty when it is sound.
std::wstring FirmwareFileRefusal(const FirmwareInspection& report);

}  // namespace vantrel
