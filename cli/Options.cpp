#include "cli/Options.h"

namespace vantrel::cli {

namespace {

struct CommandEntry {
    Command command;
    const wchar_t* name;
    bool takesFile;
};

constexpr CommandEntry kCommands[] = {
    {Command::Status, L"status", false},  {Command::Configure, L"configure", true},
    {Command::Upgrade, L"upgrade", true}, {Command::Inspect, L"inspect", true},
    {Command::Pack, L"pack", true},       {Command::Seal, L"seal", true},
};

const CommandEntry* FindCommand(const std::wstring& name) {
    for (const CommandEntry& entry : kCommands) {
        if (name == entry.name) return &entry;
    }
    return nullptr;
}

bool TakesValue(const std::wstring& name) {
    return name == L"--mode" || name == L"--trace" || name == L"--sim-level" ||
           name == L"--sim-aprom-in" || name == L"--sim-aprom-out" || name == L"--sim-fault" ||
           name == L"--sim-clock" || name == L"-o" || name == L"--output";
}

bool IsFlag(const std::wstring& name) {
    return name == L"--wide-options" || name == L"--json" || name == L"--simulate" ||
           name == L"--sim-boot";
}

std::string Narrow(const std::wstring& text) {
    // Fault texts are ASCII by their grammar; anything else is kept as '?' so the
    // grammar check names it.
    std::string out;
    for (wchar_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

bool ApplyValue(const std::wstring& name, const std::wstring& value, Options& options,
                std::wstring& error) {
    if (name == L"--mode") {
        if (value == L"six") {
            options.mode = 1;
        } else if (value == L"five") {
            options.mode = 2;
        } else {
            error = L"--mode takes six or five, not '" + value + L"'";
            return false;
        }
    } else if (name == L"--trace") {
        options.trace = value;
    } else if (name == L"--sim-level") {
        if (!ParseUint32(value, options.simLevel)) {
            error = L"--sim-level takes a 32-bit number (decimal or 0x...), not '" + value + L"'";
            return false;
        }
        options.simLevelGiven = true;
    } else if (name == L"--sim-aprom-in") {
        options.simApromIn = value;
    } else if (name == L"--sim-aprom-out") {
        options.simApromOut = value;
    } else if (name == L"--sim-fault") {
        options.simFaults.push_back(Narrow(value));
    } else if (name == L"--sim-clock") {
        if (value == L"real") {
            options.simClock = ClockKind::Real;
        } else if (value == L"virtual") {
            options.simClock = ClockKind::Virtual;
        } else {
            error = L"--sim-clock takes real or virtual, not '" + value + L"'";
            return false;
        }
    } else {  // -o, --output
        options.output = value;
    }
    if (value.empty() && name != L"--mode" && name != L"--sim-clock") {
        error = name + L" needs a non-empty value";
        return false;
    }
    return true;
}

void ApplyFlag(const std::wstring& name, Options& options) {
    if (name == L"--wide-options") options.wideOptions = true;
    if (name == L"--json") options.json = true;
    if (name == L"--simulate") options.simulate = true;
    if (name == L"--sim-boot") options.simBoot = true;
}

// Which options make sense for which command; a misplaced option is a usage error
// rather than something silently ignored.
bool CheckCombination(const Options& o, std::wstring& error) {
    const Command c = o.command;
    const bool drivesWriter =
        c == Command::Status || c == Command::Configure || c == Command::Upgrade;
    const std::wstring name = CommandName(c);
    if (o.json && c != Command::Inspect) {
        error = L"--json applies to inspect only";
        return false;
    }
    if (o.mode != 0 && c != Command::Configure) {
        error = L"--mode applies to configure only";
        return false;
    }
    if (o.wideOptions && c != Command::Configure && c != Command::Inspect) {
        error = L"--wide-options applies to configure and inspect only";
        return false;
    }
    if ((c == Command::Pack || c == Command::Seal) && o.output.empty()) {
        error = name + L" needs -o FILE";
        return false;
    }
    if (!o.output.empty() && c != Command::Pack && c != Command::Seal) {
        error = L"-o applies to pack and seal only";
        return false;
    }
    if (!drivesWriter && (o.simulate || !o.trace.empty())) {
        error = L"--simulate and --trace apply to status, configure and upgrade only";
        return false;
    }
    const bool anySim = o.simBoot || o.simLevelGiven || !o.simApromIn.empty() ||
                        !o.simApromOut.empty() || !o.simFaults.empty() ||
                        o.simClock != ClockKind::Real;
    if (anySim && !o.simulate) {
        error = L"the --sim-* options need --simulate";
        return false;
    }
    return true;
}

}  // namespace

const wchar_t* CommandName(Command command) {
    for (const CommandEntry& entry : kCommands) {
        if (entry.command == command) return entry.name;
    }
    return L"";
}

bool ParseUint32(const std::wstring& text, uint32_t& value) {
    size_t i = 0;
    unsigned base = 10;
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        base = 16;
        i = 2;
    }
    if (i >= text.size()) return false;
    uint64_t result = 0;
    for (; i < text.size(); ++i) {
        const wchar_t c = text[i];
        unsigned digit;
        if (c >= L'0' && c <= L'9') {
            digit = static_cast<unsigned>(c - L'0');
        } else if (base == 16 && c >= L'a' && c <= L'f') {
            digit = static_cast<unsigned>(c - L'a' + 10);
        } else if (base == 16 && c >= L'A' && c <= L'F') {
            digit = static_cast<unsigned>(c - L'A' + 10);
        } else {
            return false;
        }
        if (digit >= base) return false;
        result = result * base + digit;
        if (result > 0xFFFFFFFFull) return false;
    }
    value = static_cast<uint32_t>(result);
    return true;
}

bool ParseOptions(const std::vector<std::wstring>& args, Options& options, std::wstring& error) {
    options = Options{};
    error.clear();

    // --help and --version answer whatever else the line holds.
    for (const std::wstring& arg : args) {
        if (arg == L"--") break;
        if (arg == L"--help" || arg == L"-h") options.help = true;
        if (arg == L"--version") options.version = true;
    }
    if (options.help || options.version) return true;

    std::vector<std::wstring> positional;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != L'-' || arg == L"-") {
            positional.push_back(arg);
            continue;
        }
        if (arg == L"--") {
            optionsEnded = true;
            continue;
        }
        std::wstring name = arg;
        std::wstring value;
        bool inlineValue = false;
        const size_t eq = arg.find(L'=');
        if (arg.rfind(L"--", 0) == 0 && eq != std::wstring::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            inlineValue = true;
        }
        if (TakesValue(name)) {
            if (!inlineValue) {
                if (i + 1 >= args.size()) {
                    error = name + L" needs a value";
                    return false;
                }
                value = args[++i];
            }
            if (!ApplyValue(name, value, options, error)) return false;
        } else if (IsFlag(name)) {
            if (inlineValue) {
                error = name + L" takes no value";
                return false;
            }
            ApplyFlag(name, options);
        } else {
            error = L"unknown option '" + arg + L"'";
            return false;
        }
    }

    if (positional.empty()) {
        error = L"no command given";
        return false;
    }
    const CommandEntry* found = FindCommand(positional[0]);
    if (found == nullptr) {
        error = L"unknown command '" + positional[0] + L"'";
        return false;
    }
    options.command = found->command;
    const size_t wanted = found->takesFile ? 2 : 1;
    if (positional.size() < wanted) {
        error = std::wstring(found->name) + L" needs a file argument";
        return false;
    }
    if (positional.size() > wanted) {
        error = L"unexpected argument '" + positional[wanted] + L"'";
        return false;
    }
    if (found->takesFile) options.file = positional[1];
    return CheckCombination(options, error);
}

}  // namespace vantrel::cli
