#pragma once
// The one rule for every file a run writes (a packed or sealed file, an APROM
// image, a trace): the output is a regular file or a new name, never a FIFO, a
// device, a socket or a folder, and never one of the files the run reads, under
// its own name, another name of it or a hard link. A whole-file output is written
// beside its name and renamed into place (a symbolic link there is replaced, not
// followed); a line-by-line output is opened without following a link and is
// refused at a link.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vantrel {

// The system's text for an error code: errno, or GetLastError on Windows.
std::wstring SystemReason(unsigned long code);

// Told of the temporary file of a whole-file write, so that an interruption can
// remove it: `note` before it is created, `forget` once it is renamed or removed.
struct UnfinishedFileHooks {
    void (*note)(const std::wstring& path) = nullptr;
    void (*forget)() = nullptr;
};

// Why `path` cannot be written by a run that reads `inputs` ("it is a FIFO", "it
// is the input file 'a.hex'"), or empty when it can. `lineByLine` refuses a link
// at the name too. Checked before the run starts, so that a refused output leaves
// everything as it was.
std::wstring OutputProblem(const std::wstring& path, const std::vector<std::wstring>& inputs,
                           bool lineByLine = false);

// The whole sentence for an output that a run reading `inputs` may not write
// ("cannot write 'x': not a regular file (a FIFO)"), or empty when it may.
std::wstring OutputRefusal(const std::wstring& path, const std::vector<std::wstring>& inputs,
                           bool lineByLine = false);

// Writes `bytes` to a new file beside `path` and renames it over `path`, after the
// check above. False, with the reason in `problem`, when that failed; nothing is
// left behind then.
bool WriteOutputFile(const std::wstring& path, const std::vector<uint8_t>& bytes,
                     const std::vector<std::wstring>& inputs, std::wstring& problem,
                     const UnfinishedFileHooks& hooks = {});

// Opens `path` for writing line by line: created when absent, emptied when it is
// a regular file that the run does not read. The file opened is checked itself
// (not only its name), so a name that changes between check and open is caught.
// nullptr, with the reason in `problem`, when refused.
// With `append` the file is kept and every write goes to its end (several writers
// may append to one file).
FILE* OpenLineOutput(const std::wstring& path, const std::vector<std::wstring>& inputs,
                     std::wstring& problem, bool append = false);

}  // namespace vantrel
