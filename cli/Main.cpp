// vantrel-cli: the command-line front end. Natively the entry point is main with
// byte arguments (kept byte for byte, see FromNativeBytes); the Windows console build links with
// -municode and starts at wmain with wide arguments.

#include <string>
#include <vector>

#include "cli/CommandTable.h"
#include "cli/ExitStatus.h"
#include "cli/Options.h"
#include "cli/ResultOutput.h"
#include "cli/Usage.h"
#include "common/Console.h"
#include "common/Text.h"

namespace {

using namespace vantrel;
using namespace vantrel::cli;

int RunCommand(const std::vector<std::wstring>& args) {
    Options options;
    std::wstring error;
    if (!ParseOptions(args, options, error)) {
        Command command = Command::None;
        const bool json = AsksForJson(args, command);
        SetJsonRun(json, command == Command::None ? nullptr
                                                  : vantrel::ToUtf8(CommandName(command)).c_str());
        NoteOwnText(error);
        StandardError().Write(L"vantrel-cli: " + error +
                              L"\nTry 'vantrel-cli --help' for more information.\n");
        return kExitUsage;
    }
    if (options.help) {
        StandardOutput().Write(CommandHelp(options.helpTopic));
        return kExitOk;
    }
    if (options.version) {
        StandardOutput().Write(std::wstring(kVersionText) + L"\n");
        return kExitOk;
    }
    SetJsonRun(options.json, vantrel::ToUtf8(CommandName(options.command)).c_str());
    return FindCommand(options.command)->run(options);
}

// Output that could not be written is a failure of the run, not a silent loss.
int RunCli(const std::vector<std::wstring>& args) {
    int status = RunCommand(args);
    // A run that ended before printing its object (a usage error, an argument that
    // cannot be read) still prints one.
    if (IsJsonRun()) PrintFinalJson(EarlyEndJson(status));
    const std::wstring failure = StandardOutput().Failure();
    if (!failure.empty()) {
        StandardError().Write(L"vantrel-cli: cannot write the standard output: " + failure + L"\n");
        if (status == kExitOk) status = kExitUsage;
    }
    return status;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return RunCli(args);
}
#else
int main(int argc, char** argv) {
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) args.push_back(vantrel::FromNativeBytes(argv[i]));
    return RunCli(args);
}
#endif
