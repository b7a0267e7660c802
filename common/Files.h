#pragma once
// File access by wide-character path: _wfopen on Windows; on Linux the bytes that
// the path was made from (FromNativeBytes).

#include <cstdint>
#include <cstdio>
#include <string>

namespace vantrel {

// fopen with a wide path and a mode such as "rb" or "w+b". nullptr on failure.
FILE* OpenFile(const std::wstring& path, const char* mode);
// Deletes a file; true when it is gone.
bool RemoveFile(const std::wstring& path);
// The length of an open file as a 64-bit count, or -1 when it cannot be found.
// The file position is left at the start.
int64_t FileLength(FILE* file);

}  // namespace vantrel
