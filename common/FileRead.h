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

}  // namespace vantrel
