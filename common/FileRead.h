#pragma once
// Reads a whole file into memory in one go, with a size limit, and only when it is
// a regular file: a FIFO, a device, a socket or a folder is refused at once, so a
// read can neither block nor fill memory.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

enum class FileReadResult {
    Ok,
    CannotOpen,  // missing, no permission, or a name that does not open
    NotRegular,  // a FIFO, device, socket or folder
    TooLarge,    // more than the limit
    ReadError,
};

// Reads the file at `path` into `bytes` (replacing its contents). At most `limit`
// bytes are accepted; a file that grows beyond it while it is read is refused too.
// `bytes` is cleared on every failure. For CannotOpen and ReadError, `systemError`
// (when given) receives the system's code: errno, or GetLastError on Windows.
FileReadResult ReadRegularFile(const std::wstring& path, size_t limit, std::vector<uint8_t>& bytes,
                               unsigned long* systemError = nullptr);

// A short English description of a failed read ("not a regular file", ...).
const char* FileReadProblem(FileReadResult result);

// No input of the front ends comes near this: firmware files are refused above it.
constexpr size_t kMaxInputFileSize = 16 * 1024 * 1024;

// Reads the whole file once, for a front end that names the problem. False when it
// cannot be used, with `problem` saying why: the system's reason ("No such file or
// directory"), or "not a regular file", or "larger than N bytes".
bool ReadInputFile(const std::wstring& path, std::vector<uint8_t>& bytes, std::wstring& problem,
                   size_t limit = kMaxInputFileSize);

}  // namespace vantrel
