#pragma once
// The front end's file access by wide path. Every file it reads goes through
// ReadInputFile (regular files only, bounded), and every file it writes follows
// the one rule of outputs.

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

// Writes the bytes by the rule of every output (common/OutputFile.h): beside its
// final name and renamed over `path`, so that `path` holds either what it held
// before or all of the new bytes; a link at `path` is replaced rather than
// followed; a folder, a device, a FIFO or one of `inputs` there is refused. The
// temporary file is noted for the interrupt handlers. False when that failed, with
// the reason in `problem` when given; nothing is left behind then.
bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes,
                    std::wstring* problem = nullptr, const std::vector<std::wstring>& inputs = {});

// The front end's whole sentence for an output that a run reading `inputs` may not
// write ("cannot write 'x': not a regular file (a FIFO)"), or empty when it may.
std::wstring OutputRefusal(const std::wstring& path, const std::vector<std::wstring>& inputs,
                           bool lineByLine = false);

}  // namespace vantrel::cli
