#pragma once
// The one JSON object of a --json run on standard output. Whatever ends the run (its
// result, a usage error, an unreadable file, an interruption), exactly one object is
// printed: of the run's final object and the interruption's object, the first to begin
// is printed, and the other prints nothing.

#include <string>

namespace vantrel::cli {

// Whether this run prints JSON, and its command name ("status", ...; null or empty
// when unknown). Set as soon as the options are parsed, or as soon as --json is seen
// on a line that fails to parse.
void SetJsonRun(bool json, const char* command);
bool IsJsonRun();

// Prints the final object (one line, its line end included) once; false, printing
// nothing, when an object was already printed or an interruption took over.
bool PrintFinalJson(const std::string& line);

// A text of the front end's own said before the run had an object of its own (a
// usage error, an unreadable argument): kept for the object of a run that ends early.
void NoteOwnText(const std::wstring& text);
// The object of a run that ended without printing one:
// {"ok":...,"exit":status,"command":...,"texts":[the noted texts as "cli" texts]}.
std::string EarlyEndJson(int status);

// For the interruption (async-signal-safe): true when the final object had not been
// begun; from then on PrintFinalJson prints nothing.
bool TakeOverForInterruption();
// Async-signal-safe: in a JSON run writes {"ok":false,"exit":130,"command":"...",
// "interrupted":true,"writer_left":"<text>","texts":[{"where":"cli","text":"<text>"}]}
// and a line end to standard output; nothing otherwise.
void WriteInterruptedJson(const char* writerLeft);

// Back to the state of a fresh run (for tests).
void ResetResultOutput();

}  // namespace vantrel::cli
