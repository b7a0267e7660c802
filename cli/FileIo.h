#pragma once
// The front end's file access by wide path. Every file it reads goes through
// ReadInputFile (regular files only, bounded), and every file it writes is
// written beside its final name and renamed into place.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::cli {

// No input of the front end comes near this: firmware files are refused above it.
constexpr size_t kMaxInputFileSize = 16 * 1024 * 1024;

// Reads the whole file once. False when it cannot be used, with `problem` saying
// why: the system's reason ("No such file or directory"), or "not a regular file",
// or "larger than N bytes".
bool ReadInputFile(const std::wstring& path, std::vector<uint8_t>& bytes, std::wstring& problem,
                   size_t limit = kMaxInputFileSize);

// Writes the bytes to a new file in the same folder and renames it over `path`, so
// that `path` holds either what it held before or all of the new bytes, and a link
// at `path` is replaced rather than followed. Anything else already at `path` (a
// folder, a device, a FIFO) is left alone and refused. False when that failed, with the
// system's reason in `problem` when given; nothing is left behind then.
bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes,
                    std::wstring* problem = nullptr);

// True when both paths name one existing file (the same path, a link, a hard link).
bool SameFile(const std::wstring& a, const std::wstring& b);

}  // namespace vantrel::cli
