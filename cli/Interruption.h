#pragma once
// Ctrl-C, Ctrl-Break, closing the console, SIGINT, SIGTERM and SIGHUP. While a
// writer command runs, the run stops at the next transaction boundary: the reports of
// the page or item in progress are sent and answered first (the run holds the link
// gate, so no further transaction starts), so the writer is never left in the middle
// of a transfer; a second interruption during that wait stops at once. Then one line
// on standard error says where the writer was left ("the writer is left in its boot
// loader ...: run upgrade again"), and the run exits 130. Outside a writer command
// the run stops at once. Where the writer stands is kept from the commands written
// to it; the handler reads it without locks or allocation.

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>

#include "common/OutputFile.h"
#include "protocol/WireDecoder.h"

namespace vantrel::cli {

constexpr int kInterruptedStatus = 130;

// Installs the handlers (once). `writerCommand`: false for the file commands (pack,
// seal), where an interruption only says that no output was written.
void InstallInterruptHandlers(bool writerCommand = true);

// A front end that runs several jobs (a station) handles interruptions itself:
// `handler` hears the count of interruptions so far (1 on the first), on a thread of
// its own that may lock and print; it ends the process when it should stop. Set it
// before the jobs start.
void SetInterruptHandler(std::function<void(int count)> handler);

// The link gate of the core whose job runs now (null when none): an interruption
// waits for it, that is for the transaction in progress. Clearing it waits for an
// interruption that is already waiting on the gate (which then ends the process).
void SetInterruptBoundary(std::mutex* gate);

// A command is about to be written to the writer.
void NoteWriterCommand(const WireCommand& command);
// Whether a progress bar line is open on standard error (the handler's line then
// starts on a fresh line).
void NoteBarOpen(bool open);

// The sentence for the present state, without a line end, in `buffer`
// (async-signal-safe). Returns its length.
size_t DescribeWhereTheWriterIs(char* buffer, size_t size);

// A file being written beside its final name: an interruption before it is renamed
// into place removes it, so that nothing is left behind. One at a time; forgotten
// once it is renamed or removed.
void NoteUnfinishedFile(const std::wstring& path);
void ForgetUnfinishedFile();
// The two above, for WriteOutputFile.
UnfinishedFileHooks InterruptionFileHooks();
// What the handlers do with it: removes the noted file, if any (async-signal-safe).
void RemoveUnfinishedFile();

// Back to the state of a fresh run (for tests).
void ResetWriterWhereabouts();

}  // namespace vantrel::cli
