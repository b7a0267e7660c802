#include "cli/Usage.h"

#include "cli/CommandTable.h"
#include "common/Version.h"

namespace vantrel::cli {

const wchar_t* const kVersionText = L"vantrel-cli " VANTREL_VERSION_TEXT;

namespace {

constexpr const wchar_t* kExitStatus =
    L"Exit status:\n"
    L"  0  the job succeeded (status: a writer was found in either mode)\n"
    L"  1  the job failed on the writer (a refusal, no answer, a wrong checksum,\n"
    L"     a writer that did not come back)\n"
    L"  2  a usage error, or an argument that cannot be read or written\n"
    L"  3  no writer was found, the writer cannot be opened (permissions),\n"
    L"     several writers are attached and none was chosen, the writer is busy\n"
    L"     with another run, or no writer is in the mode the job needs\n"
    L"     (configure of a writer in its boot loader)\n"
    L"  4  a file was refused by its own checks before the writer was touched\n"
    L"  130  the run was interrupted (Ctrl-C, SIGTERM, SIGHUP)\n"
    L"With --all: 0 only when every job succeeded, 1 when any failed, 3 when no\n"
    L"writer came.\n";

constexpr size_t kTextColumn = 26;

// "  SYNOPSIS   text", the text's further lines under its first, a synopsis too
// long for its column on a line of its own.
std::wstring Entry(const std::wstring& synopsis, const std::wstring& text) {
    std::wstring out = L"  " + synopsis;
    if (out.size() + 2 > kTextColumn) {
        out += L"\n" + std::wstring(kTextColumn, L' ');
    } else {
        out.append(kTextColumn - out.size(), L' ');
    }
    for (wchar_t c : text) {
        out += c;
        if (c == L'\n') out.append(kTextColumn, L' ');
    }
    return out + L"\n";
}

}  // namespace

std::wstring UsageText() {
    std::wstring text =
        L"Usage: vantrel-cli [OPTIONS] COMMAND [ARGS]\n\n"
        L"Configures a USB writer from control files and upgrades its firmware.\n\n"
        L"Commands:\n";
    for (const CommandEntry& entry : CommandTable()) text += Entry(entry.synopsis, entry.summary);
    text += L"\nOptions (before or after the command; also -oFILE, --opt=VALUE):\n";
    for (const OptionEntry& option : OptionTable()) text += Entry(option.synopsis, option.help);
    return text + L"\n" + kExitStatus;
}

std::wstring CommandHelp(Command command) {
    const CommandEntry* entry = FindCommand(command);
    if (entry == nullptr || entry->run == nullptr) return UsageText();
    std::wstring text = L"Usage: vantrel-cli [OPTIONS] " + std::wstring(entry->synopsis) + L"\n\n" +
                        entry->detail + L"\n\nOptions:\n";
    for (const OptionEntry& option : OptionTable()) {
        if (OptionApplies(option, command)) text += Entry(option.synopsis, option.help);
    }
    return text + L"\n" + kExitStatus;
}

}  // namespace vantrel::cli
