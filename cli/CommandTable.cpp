#include "cli/CommandTable.h"

#include "cli/FileCommands.h"
#include "cli/WriterCommands.h"
#include "sim/SimOptionReader.h"

namespace vantrel::cli {

namespace {

constexpr CommandEntry kCommands[] = {
    {Command::Status, L"status", false, true, false, L"status",
     L"detect the writer; print the connection text\n"
     L"(\"writer connect\", \"boot connect\" or\n\"writer unconnect\")",
     L"Detects the writer as the dialog does at start-up and prints the connection\n"
     L"text. Exits 0 when a writer was found in either mode, 3 when none was, or\n"
     L"when several are attached and --device chose none of them.",
     &RunStatus},
    {Command::List, L"list", false, true, false, L"list",
     L"list every attached writer: its mode, its device\npath and its USB location",
     L"Lists every attached writer, one line each: its mode (application,\n"
     L"boot-loader, or no-answer for a boot loader that did not answer its query),\n"
     L"its device path and its USB location (the port it is plugged into). Either\n"
     L"of the last two chooses the writer with --device.",
     &RunList},
    {Command::Configure, L"configure", true, true, false, L"configure FILE",
     L"configure the writer from a control file (.ctl)",
     L"Checks the control file, asks the writer for its level, asks for the\n"
     L"programming mode where the IC type needs it, and sends the configuration step\n"
     L"by step. Prints every text the dialog shows, the IC name and the two checksum\n"
     L"values. A file that fails its checks exits 4 before the writer is touched.",
     &RunConfigure},
    {Command::Upgrade, L"upgrade", true, true, false, L"upgrade FILE",
     L"upgrade the writer's firmware from a firmware file\n(.hex)",
     L"Restarts the writer into its boot loader, erases its 136 APROM pages, programs\n"
     L"and verifies each page from the firmware file and resets the writer; then\n"
     L"waits up to 5 s for it to come back as its application (exit 1 when it does\n"
     L"not). A firmware file that fails its checks exits 4 before the writer is\n"
     L"touched, unless --force is given.",
     &RunUpgrade},
    {Command::Inspect, L"inspect", true, false, false, L"inspect FILE",
     L"decode a control file or firmware file and describe\nit; writes nothing",
     L"Describes a control file (its IC, counts, word packing and the two checksum\n"
     L"values a configuration would show) or a firmware file (its records, address\n"
     L"range and anything the upgrade would read differently), with the upgrade's\n"
     L"verdict and every problem it finds; exits 4 when the upgrade would refuse\n"
     L"the file. Addresses no writer.",
     &RunInspect},
    {Command::Pack, L"pack", true, false, true, L"pack DESCRIPTION -o FILE.ctl",
     L"build a control file from a JSON description",
     L"Builds a control file from a JSON description of its plain items, enciphered\n"
     L"under the description's key, with both checksums set. The name is stored in\n"
     L"GBK; unknown members and values a control file cannot hold are refused.",
     &RunPack},
    {Command::Seal, L"seal", true, false, true, L"seal PLAIN -o FILE.hex",
     L"encipher Intel HEX text into a firmware file",
     L"Enciphers Intel HEX text under the firmware key into a firmware file that\n"
     L"upgrade accepts; text that upgrade would refuse is refused (exit 4) unless\n"
     L"--force is given. The output is written beside its name and renamed.",
     &RunSeal},
    // Answered by the parser: it never runs.
    {Command::Help, L"help", false, false, false, L"help [COMMAND]",
     L"show this text, or one command's help\n(also: COMMAND --help)", L"", nullptr},
};

std::string Narrow(const std::wstring& text) {
    // Fault texts are ASCII by their grammar; anything else is kept as '?' so the
    // grammar check names it.
    std::string out;
    for (wchar_t c : text) {
        const auto code = static_cast<uint32_t>(c);
        out.push_back(code < 0x80 ? static_cast<char>(code) : '?');
    }
    return out;
}

// For a value that names one of two words.
bool OneOf(const std::wstring& value, const wchar_t* first, const wchar_t* second, bool& isFirst,
           const std::wstring& refusal, std::wstring& error) {
    if (value == first || value == second) {
        isFirst = value == first;
        return true;
    }
    error = refusal + L", not '" + value + L"'";
    return false;
}

using V = const std::wstring&;
using O = Options&;
using E = std::wstring&;
using G = const Options&;

constexpr bool kSim = true;
constexpr unsigned kJobCommands = CommandBit(Command::Configure) | CommandBit(Command::Upgrade);

const OptionEntry kOptions[] = {
    {L"--mode", 0, true, false, CommandBit(Command::Configure), L"--mode six|five",
     L"answer to the programming-mode question; without it\n"
     L"a terminal is asked, and a non-interactive run\n"
     L"answers six",
     [](V v, O o, E e) {
         bool six = false;
         if (!OneOf(v, L"six", L"five", six, L"--mode takes six or five", e)) return false;
         o.mode = six ? 1 : 2;
         return true;
     },
     [](G o) { return o.mode != 0; }, nullptr, false},
    {L"--wide-options", 0, false, false,
     CommandBit(Command::Configure) | CommandBit(Command::Inspect), L"--wide-options",
     L"the control file uses the 56-byte option layout",
     [](V, O o, E) { return o.wideOptions = true; }, [](G o) { return o.wideOptions; }, nullptr,
     false},
    {L"--json", 0, false, false, kWriterCommands | CommandBit(Command::Inspect), L"--json",
     L"print one JSON object instead of text: \"ok\",\n"
     L"\"exit\", \"texts\" (every text shown, in order, with\n"
     L"where it was shown), the command's own fields,\n"
     L"\"seconds\" and the \"device\" used; the texts also\n"
     L"go to standard error",
     [](V, O o, E) { return o.json = true; }, [](G o) { return o.json; }, nullptr, false},
    {L"--device", 0, true, false, kWriterCommands, L"--device SEL",
     L"use the writer at this USB location (e.g. 1-2.3,\n"
     L"sim-2) or device path, as list shows them, or at\n"
     L"its hidraw node (/dev/hidrawN); it is followed\n"
     L"across its restarts by its location. Needed when\n"
     L"several writers are attached",
     [](V v, O o, E) {
         o.device = v;
         return true;
     },
     [](G o) { return !o.device.empty(); }, L"--device and --wait", false},
    {L"--wait", 0, false, true, kWriterCommands, L"--wait[=SECONDS]",
     L"wait until a writer (the chosen one, with --device)\n"
     L"is attached, at most SECONDS (default 30); exit 3\n"
     L"when none came",
     [](V v, O o, E e) {
         o.wait = true;
         if (&v == &kFlagValue) return true;  // --wait alone
         if (!ParseUint32(v, o.waitSeconds) || o.waitSeconds > 86400) {
             e = L"--wait takes a number of seconds up to 86400, not '" + v + L"'";
             return false;
         }
         return true;
     },
     [](G o) { return o.wait; }, L"--device and --wait", false},
    {L"--all", 0, false, false, kJobCommands, L"--all",
     L"(configure, upgrade) run the job on every attached\n"
     L"writer at once, each followed by its USB location;\n"
     L"the file is checked once first",
     [](V, O o, E) { return o.all = true; }, [](G o) { return o.all; }, nullptr, false},
    {L"--watch", 0, false, false, kJobCommands, L"--watch",
     L"(with --all) also run it on each writer plugged in\n"
     L"later, once per plug-in, until Ctrl-C, --count N\n"
     L"jobs, or --idle SECONDS without one",
     [](V, O o, E) { return o.watch = true; }, [](G o) { return o.watch; }, nullptr, false, true},
    {L"--count", 0, true, false, kJobCommands, L"--count N", L"stop after N jobs in all",
     [](V v, O o, E e) {
         if (!ParseUint32(v, o.count) || o.count < 1 || o.count > 100000) {
             e = L"--count takes a number from 1 to 100000, not '" + v + L"'";
             return false;
         }
         return true;
     },
     [](G o) { return o.count != 0; }, nullptr, false, true},
    {L"--idle", 0, true, false, kJobCommands, L"--idle SECONDS",
     L"stop after SECONDS without a writer to serve",
     [](V v, O o, E e) {
         if (!ParseUint32(v, o.idleSeconds) || o.idleSeconds < 1 || o.idleSeconds > 86400) {
             e = L"--idle takes a number of seconds from 1 to 86400, not '" + v + L"'";
             return false;
         }
         return true;
     },
     [](G o) { return o.idleSeconds != 0; }, nullptr, false, true},
    {L"--log", 0, true, false, kJobCommands, L"--log FILE",
     L"append one JSON line per finished job (time,\n"
     L"location, path, command, file and its SHA-256, IC\n"
     L"name and checksums, texts, ok, exit, seconds)",
     [](V v, O o, E) {
         o.log = v;
         return true;
     },
     [](G o) { return !o.log.empty(); }, nullptr, false, true},
    {L"--trace", 0, true, false, kWriterCommands, L"--trace FILE",
     L"write every HID report to FILE, one line each",
     [](V v, O o, E) {
         o.trace = v;
         return true;
     },
     [](G o) { return !o.trace.empty(); }, L"--simulate and --trace", false},
    {L"--output", L'o', true, false, CommandBit(Command::Pack) | CommandBit(Command::Seal),
     L"-o, --output FILE", L"(pack, seal) the file to write",
     [](V v, O o, E) {
         o.output = v;
         return true;
     },
     [](G o) { return !o.output.empty(); }, L"-o", false},
    {L"--force", 0, false, false, CommandBit(Command::Upgrade) | CommandBit(Command::Seal),
     L"--force", L"(upgrade, seal) go on with a firmware file that fails\nits checks",
     [](V, O o, E) { return o.force = true; }, [](G o) { return o.force; }, nullptr, false},
    {L"--simulate", 0, false, false, kWriterCommands, L"--simulate",
     L"use the built-in simulated writer instead of a real\none",
     [](V, O o, E) { return o.simulate = true; }, [](G o) { return o.simulate; },
     L"--simulate and --trace", false},
    {L"--sim-writers", 0, true, false, kWriterCommands, L"--sim-writers N",
     L"the simulated bus holds N writers (default 1, at\n"
     L"most 64), at locations sim-1 .. sim-N",
     [](V v, O o, E e) {
         if (!ParseUint32(v, o.simWriters) || o.simWriters < 1 || o.simWriters > 64) {
             e = L"--sim-writers takes a number from 1 to 64, not '" + v + L"'";
             return false;
         }
         return true;
     },
     [](G o) { return o.simWriters != 1; }, nullptr, kSim},
    {L"--sim-boot", 0, false, false, kWriterCommands, L"--sim-boot",
     L"the simulated writer starts in its boot loader", [](V, O o, E) { return o.simBoot = true; },
     [](G o) { return o.simBoot; }, nullptr, kSim},
    {L"--sim-level", 0, true, false, kWriterCommands, L"--sim-level N",
     L"level the simulated application reports\n(default 0x03000000)",
     [](V v, O o, E e) {
         sim::SimOptions writer;
         if (sim::ApplySimOption(L"--sim-level", v, writer, e) != sim::SimOptionResult::Applied)
             return false;
         o.simLevel = writer.writerLevel;
         return o.simLevelGiven = true;
     },
     [](G o) { return o.simLevelGiven; }, nullptr, kSim},
    {L"--sim-aprom-in", 0, true, false, kWriterCommands, L"--sim-aprom-in [sim-K:]F",
     L"the simulated APROM's 69,632 bytes at start\n(default all 0xFF); of writer K only, or of "
     L"all",
     [](V v, O o, E) {
         o.simApromIn.push_back(v);
         return true;
     },
     [](G o) { return !o.simApromIn.empty(); }, nullptr, kSim},
    {L"--sim-aprom-out", 0, true, false, kWriterCommands, L"--sim-aprom-out [sim-K:]F",
     L"write the simulated APROM's 69,632 bytes to F when\n"
     L"the run ends: of writer K, or of the writer used",
     [](V v, O o, E) {
         o.simApromOut.push_back(v);
         return true;
     },
     [](G o) { return !o.simApromOut.empty(); }, nullptr, kSim},
    {L"--sim-arrive-after", 0, true, false, kWriterCommands, L"--sim-arrive-after [sim-K:]MS",
     L"the simulated writer (K, or every one) is plugged\nin MS milliseconds after the start",
     [](V v, O o, E) {
         o.simArriveAfter.push_back(v);
         return true;
     },
     [](G o) { return !o.simArriveAfter.empty(); }, nullptr, kSim},
    {L"--sim-fault", 0, true, false, kWriterCommands, L"--sim-fault [sim-K:]FAULT",
     L"inject a fault into writer K (or into every one);\n"
     L"may be repeated:\n"
     L"  refuse:NAME[#K]  the K-th command NAME is refused\n"
     L"  silent:NAME[#K]  the K-th command NAME is never\n"
     L"                   answered\n"
     L"  badsum:PAGE      a wrong checksum for page PAGE\n"
     L"                   (0-135)\n"
     L"  noboot           the boot loader never answers",
     [](V v, O o, E) {
         o.simFaults.push_back(Narrow(v));
         return true;
     },
     [](G o) { return !o.simFaults.empty(); }, nullptr, kSim},
    {L"--sim-clock", 0, true, false, kWriterCommands, L"--sim-clock real|virtual",
     L"real (default): waits take their real time;\n"
     L"virtual: every wait and pause completes at once",
     [](V v, O o, E e) {
         bool real = true;
         if (!OneOf(v, L"real", L"virtual", real, L"--sim-clock takes real or virtual", e))
             return false;
         o.simClock = real ? ClockKind::Real : ClockKind::Virtual;
         return true;
     },
     [](G o) { return o.simClock != ClockKind::Real; }, nullptr, kSim},
    {L"--verbose", L'v', false, false, kEveryCommand, L"-v, --verbose",
     L"also print each configuration step and boot-loader\nphase as it starts",
     [](V, O o, E) {
         o.verbosity = Verbosity::Verbose;
         return true;
     },
     nullptr, nullptr, false},
    {L"--quiet", L'q', false, false, kEveryCommand, L"-q, --quiet",
     L"print only errors and the result",
     [](V, O o, E) {
         o.verbosity = Verbosity::Quiet;
         return true;
     },
     nullptr, nullptr, false},
    {L"--help", L'h', false, false, kEveryCommand, L"-h, --help",
     L"show this text (with a command: that command's\nhelp)",
     [](V, O o, E) { return o.help = true; }, nullptr, nullptr, false},
    {L"--version", L'V', false, false, 0, L"-V, --version", L"show the version",
     [](V, O o, E) { return o.version = true; }, nullptr, nullptr, false},
};

}  // namespace

const std::wstring kFlagValue;

std::span<const CommandEntry> CommandTable() { return kCommands; }
std::span<const OptionEntry> OptionTable() { return kOptions; }

const CommandEntry* FindCommand(Command command) {
    for (const CommandEntry& entry : kCommands) {
        if (entry.command == command) return &entry;
    }
    return nullptr;
}

const CommandEntry* FindCommand(const std::wstring& name) {
    for (const CommandEntry& entry : kCommands) {
        if (name == entry.name) return &entry;
    }
    return nullptr;
}

bool OptionApplies(const OptionEntry& option, Command command) {
    if (command == Command::None || command == Command::Help) return false;
    if (option.commands & kEveryCommand) return true;
    const CommandEntry* entry = FindCommand(command);
    if ((option.commands & kWriterCommands) && entry != nullptr && entry->drivesWriter) return true;
    return (option.commands & CommandBit(command)) != 0;
}

}  // namespace vantrel::cli
