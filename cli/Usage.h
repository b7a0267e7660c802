#pragma once
// The texts of --help, `help COMMAND` and --version. The whole help lists every
// command and option; a command's help lists the options that apply to it.

#include <string>

#include "cli/Options.h"

namespace vantrel::cli {

extern const wchar_t* const kVersionText;

// The whole help.
std::wstring UsageText();
// The help of one command (the whole help for Command::None or Command::Help).
std::wstring CommandHelp(Command command);

}  // namespace vantrel::cli
