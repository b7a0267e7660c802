#pragma once
// What the end-to-end upgrade tests share: a firmware image with data and gaps,
// its sealed firmware file, and the progress positions of a complete run.

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace vantrel::test {

// A 69,632-byte image whose firmware file names only the first 10 KB and one page
// above 64 KiB; every other byte is zero and is programmed as zero.
std::vector<uint8_t> SampleFirmwareImage();

// Writes `image` into `dir` as an enciphered Intel HEX firmware file that leaves out
// its all-zero records, and returns the file's path.
std::wstring WriteFirmwareFile(const TempDir& dir, const std::vector<uint8_t>& image,
                               const std::wstring& name = L"writer.hex");

// The progress positions of a complete run, in order: before erasing pages 1-135,
// after verifying pages 1-135, and 100 after the reset.
std::vector<int> CompleteRunProgress();

}  // namespace vantrel::test
