#include "cli/Usage.h"

#include "common/Version.h"

namespace vantrel::cli {

const wchar_t* const kVersionText = L"vantrel-cli " VANTREL_VERSION_TEXT;

namespace {

// Which commands an option applies to.
enum : unsigned {
    kStatus = 1,
    kConfigure = 2,
    kUpgrade = 4,
    kInspect = 8,
    kPack = 16,
    kSeal = 32,
    kList = 64,
    kJob = kStatus | kConfigure | kUpgrade,
    kWriter = kJob | kList,
    kAll = 127,
};

struct CommandHelpEntry {
    Command command;
    unsigned bit;
    const wchar_t* synopsis;  // as the command list shows it
    const wchar_t* summary;   // the command list's text
    const wchar_t* detail;    // the paragraph of the command's own help
};

const CommandHelpEntry kCommandHelp[] = {
    {Command::Status, kStatus, L"status",
     L"detect the writer; print the connection text\n"
     L"(\"writer connect\", \"boot connect\" or\n\"writer unconnect\")",
     L"Detects the writer as the dialog does at start-up and prints the connection\n"
     L"text. Exits 0 when a writer was found in either mode, 3 when none was, or\n"
     L"when several are attached and --device chose none of them."},
    {Command::List, kList, L"list",
     L"list every attached writer: its mode, its device\npath and its USB location",
     L"Lists every attached writer, one line each: its mode (application,\n"
     L"boot-loader, or no-answer for a boot loader that did not answer its query),\n"
     L"its device path and its USB location (the port it is plugged into). Either\n"
     L"of the last two chooses the writer with --device."},
    {Command::Configure, kConfigure, L"configure FILE",
     L"configure the writer from a control file (.ctl)",
     L"Checks the control file, asks the writer for its level, asks for the\n"
     L"programming mode where the IC type needs it, and sends the configuration step\n"
     L"by step. Prints every text the dialog shows, the IC name and the two checksum\n"
     L"values. A file that fails its checks exits 4 before the writer is touched."},
    {Command::Upgrade, kUpgrade, L"upgrade FILE",
     L"upgrade the writer's firmware from a firmware file\n(.hex)",
     L"Restarts the writer into its boot loader, erases its 136 APROM pages, programs\n"
     L"and verifies each page from the firmware file and resets the writer; then\n"
     L"waits up to 5 s for it to come back as its application (exit 1 when it does\n"
     L"not). A firmware file that fails its checks exits 4 before the writer is\n"
     L"touched, unless --force is given."},
    {Command::Inspect, kInspect, L"inspect FILE",
     L"decode a control file or firmware file and describe\nit; writes nothing",
     L"Describes a control file (its IC, counts, word packing and the two checksum\n"
     L"values a configuration would show) or a firmware file (its records, address\n"
     L"range and anything the upgrade would read differently), with the upgrade's\n"
     L"verdict and every problem it finds; exits 4 when the upgrade would refuse\n"
     L"the file. Addresses no writer."},
    {Command::Pack, kPack, L"pack DESCRIPTION -o FILE.ctl",
     L"build a control file from a JSON description",
     L"Builds a control file from a JSON description of its plain items, enciphered\n"
     L"under the description's key, with both checksums set. The name is stored in\n"
     L"GBK; unknown members and values a control file cannot hold are refused."},
    {Command::Seal, kSeal, L"seal PLAIN -o FILE.hex",
     L"encipher Intel HEX text into a firmware file",
     L"Enciphers Intel HEX text under the firmware key into a firmware file that\n"
     L"upgrade accepts; text that upgrade would refuse is refused (exit 4) unless\n"
     L"--force is given. The output is written beside its name and renamed."},
    {Command::Help, 0, L"help [COMMAND]",
     L"show this text, or one command's help\n(also: COMMAND --help)", L""},
};

struct OptionHelp {
    unsigned commands;
    const wchar_t* synopsis;
    const wchar_t* text;
};

const OptionHelp kOptionHelp[] = {
    {kConfigure, L"--mode six|five",
     L"answer to the programming-mode question; without it\n"
     L"a terminal is asked, and a non-interactive run\n"
     L"answers six"},
    {kConfigure | kInspect, L"--wide-options", L"the control file uses the 56-byte option layout"},
    {kWriter | kInspect, L"--json",
     L"print one JSON object instead of text: \"ok\",\n"
     L"\"exit\", \"texts\" (every text shown, in order, with\n"
     L"where it was shown), the command's own fields,\n"
     L"\"seconds\" and the \"device\" used; the texts also\n"
     L"go to standard error"},
    {kWriter, L"--device SEL",
     L"use the writer at this USB location (e.g. 1-2.3,\n"
     L"sim-2) or device path, as list shows them, or at\n"
     L"its hidraw node (/dev/hidrawN); it is followed\n"
     L"across its restarts by its location. Needed when\n"
     L"several writers are attached"},
    {kWriter, L"--wait[=SECONDS]",
     L"wait until a writer (the chosen one, with --device)\n"
     L"is attached, at most SECONDS (default 30); exit 3\n"
     L"when none came"},
    {kWriter, L"--trace FILE", L"write every HID report to FILE, one line each"},
    {kPack | kSeal, L"-o, --output FILE", L"(pack, seal) the file to write"},
    {kUpgrade | kSeal, L"--force",
     L"(upgrade, seal) go on with a firmware file that fails\nits checks"},
    {kWriter, L"--simulate", L"use the built-in simulated writer instead of a real\none"},
    {kWriter, L"--sim-writers N",
     L"the simulated bus holds N writers (default 1, at\n"
     L"most 16), at locations sim-1 .. sim-N"},
    {kWriter, L"--sim-boot", L"the simulated writer starts in its boot loader"},
    {kWriter, L"--sim-level N", L"level the simulated application reports\n(default 0x03000000)"},
    {kWriter, L"--sim-aprom-in [sim-K:]F",
     L"the simulated APROM's 69,632 bytes at start\n(default all 0xFF); of writer K only, or of "
     L"all"},
    {kWriter, L"--sim-aprom-out [sim-K:]F",
     L"write the simulated APROM's 69,632 bytes to F when\n"
     L"the run ends: of writer K, or of the writer used"},
    {kWriter, L"--sim-arrive-after [sim-K:]MS",
     L"the simulated writer (K, or every one) is plugged\nin MS milliseconds after the start"},
    {kWriter, L"--sim-fault [sim-K:]FAULT",
     L"inject a fault into writer K (or into every one);\n"
     L"may be repeated:\n"
     L"  refuse:NAME[#K]  the K-th command NAME is refused\n"
     L"  silent:NAME[#K]  the K-th command NAME is never\n"
     L"                   answered\n"
     L"  badsum:PAGE      a wrong checksum for page PAGE\n"
     L"                   (0-135)\n"
     L"  noboot           the boot loader never answers"},
    {kWriter, L"--sim-clock real|virtual",
     L"real (default): waits take their real time;\n"
     L"virtual: every wait and pause completes at once"},
    {kAll, L"-v, --verbose",
     L"also print each configuration step and boot-loader\nphase as it starts"},
    {kAll, L"-q, --quiet", L"print only errors and the result"},
    {kAll, L"-h, --help", L"show this text (with a command: that command's\nhelp)"},
    {0, L"-V, --version", L"show the version"},
};

constexpr const wchar_t* kExitStatus =
    L"Exit status:\n"
    L"  0  the job succeeded (status: a writer was found in either mode)\n"
    L"  1  the job failed on the writer (a refusal, no answer, a wrong checksum,\n"
    L"     a writer that did not come back)\n"
    L"  2  a usage error, or an argument that cannot be read or written\n"
    L"  3  no writer was found, the writer cannot be opened (permissions),\n"
    L"     several writers are attached and none was chosen, or no writer is in\n"
    L"     the mode the job needs (configure of a writer in its boot loader)\n"
    L"  4  a file was refused by its own checks before the writer was touched\n";

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

const CommandHelpEntry* Find(Command command) {
    for (const CommandHelpEntry& entry : kCommandHelp) {
        if (entry.command == command) return &entry;
    }
    return nullptr;
}

}  // namespace

std::wstring UsageText() {
    std::wstring text =
        L"Usage: vantrel-cli [OPTIONS] COMMAND [ARGS]\n\n"
        L"Configures a USB writer from control files and upgrades its firmware.\n\n"
        L"Commands:\n";
    for (const CommandHelpEntry& entry : kCommandHelp) text += Entry(entry.synopsis, entry.summary);
    text += L"\nOptions (before or after the command; also -oFILE, --opt=VALUE):\n";
    for (const OptionHelp& option : kOptionHelp) text += Entry(option.synopsis, option.text);
    return text + L"\n" + kExitStatus;
}

std::wstring CommandHelp(Command command) {
    const CommandHelpEntry* entry = Find(command);
    if (entry == nullptr || entry->bit == 0) return UsageText();
    std::wstring text = L"Usage: vantrel-cli [OPTIONS] " + std::wstring(entry->synopsis) + L"\n\n" +
                        entry->detail + L"\n\nOptions:\n";
    for (const OptionHelp& option : kOptionHelp) {
        if (option.commands & entry->bit) text += Entry(option.synopsis, option.text);
    }
    return text + L"\n" + kExitStatus;
}

}  // namespace vantrel::cli
