#pragma once
// Every command and every option of vantrel-cli as data. The parser, the checks of
// which options go with which command, the help texts (and from them the man page
// and the bash completion, which read --help) all come from these two tables:
// adding a command is one entry here and its run function.

#include <span>
#include <string>

#include "cli/Options.h"

namespace vantrel::cli {

struct CommandEntry {
    Command command;
    const wchar_t* name;                 // as typed
    bool takesFile;                      // FILE, DESCRIPTION or PLAIN
    bool drivesWriter;                   // talks to a writer: the writer options apply
    bool needsOutput;                    // -o FILE is required
    const wchar_t* synopsis;             // as the command list shows it
    const wchar_t* summary;              // the command list's text
    const wchar_t* detail;               // the paragraph of the command's own help
    int (*run)(const Options& options);  // returns the exit status
};

// Which commands an option goes with: bits of CommandBit, or these two.
constexpr unsigned kWriterCommands = 1u << 30;  // every command that drives a writer
constexpr unsigned kEveryCommand = 1u << 31;
constexpr unsigned CommandBit(Command command) { return 1u << static_cast<unsigned>(command); }

struct OptionEntry {
    const wchar_t* name;  // the long name, "--" included
    wchar_t shortName;    // 0 when there is none
    bool takesValue;
    bool optionalValue;       // the value only as --name=value
    unsigned commands;        // the commands it goes with (0: none, it stands alone)
    const wchar_t* synopsis;  // as the help shows it
    const wchar_t* help;
    // Sets the option; false with `error` for a value it cannot take. A flag gets
    // kFlagValue.
    bool (*apply)(const std::wstring& value, Options& options, std::wstring& error);
    // Whether the parsed options hold it (nullptr: never checked against the command).
    bool (*given)(const Options& options);
    // What "... applies to ... only" names when it stands with another command
    // ("--device and --wait"); nullptr: the option itself.
    const wchar_t* misplacedSubject;
    bool needsSimulate;     // one of the --sim-* options
    bool needsAll = false;  // a station's option: only with --all
};

// The value with which a flag is applied (an option that may take a value, as
// --wait, tells a flag by this object).
extern const std::wstring kFlagValue;

std::span<const CommandEntry> CommandTable();
std::span<const OptionEntry> OptionTable();

// nullptr when there is none.
const CommandEntry* FindCommand(Command command);
const CommandEntry* FindCommand(const std::wstring& name);

// Whether `option` goes with `command`.
bool OptionApplies(const OptionEntry& option, Command command);

}  // namespace vantrel::cli
