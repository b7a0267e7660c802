#pragma once
// Whole-file reading and writing by wide path, for the front end's own files.

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::cli {

bool IsReadable(const std::wstring& path);
bool ReadWholeFile(const std::wstring& path, std::vector<uint8_t>& bytes);
// Creates or replaces the file; false when it could not be written completely.
bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes);

}  // namespace vantrel::cli
