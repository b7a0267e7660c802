// vantrel-cli: the command-line front end. Natively the entry point is main with
// byte arguments (kept byte for byte, see FromNativeBytes); the Windows console build links with
// -municode and starts at wmain with wide arguments.

#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/Options.h"
#include "cli/Session.h"
#include "cli/Usage.h"
#include "common/Text.h"

namespace {

int RunCli(const std::vector<std::wstring>& args) {
    using namespace vantrel::cli;
    Options options;
    std::wstring error;
    if (!ParseOptions(args, options, error)) {
        StandardError().Write(L"vantrel-cli: " + error +
                              L"\nTry 'vantrel-cli --help' for more information.\n");
        return 2;
    }
    if (options.help) {
        StandardOutput().Write(CommandHelp(options.helpTopic));
        return 0;
    }
    if (options.version) {
        StandardOutput().Write(std::wstring(kVersionText) + L"\n");
        return 0;
    }
    switch (options.command) {
        case Command::Inspect:
            return RunInspect(options);
        case Command::Pack:
            return RunPack(options);
        case Command::Seal:
            return RunSeal(options);
        default:
            return RunWriterCommand(options);
    }
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
