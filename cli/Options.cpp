#include "cli/Options.h"

#include <algorithm>

namespace vantrel::cli {

namespace {

struct CommandEntry {
    Command command;
    const wchar_t* name;
    bool takesFile;
};

constexpr CommandEntry kCommands[] = {
    {Command::Status, L"status", false},      {Command::List, L"list", false},
    {Command::Configure, L"configure", true}, {Command::Upgrade, L"upgrade", true},
    {Command::Inspect, L"inspect", true},     {Command::Pack, L"pack", true},
    {Command::Seal, L"seal", true},           {Command::Help, L"help", false},
};

struct OptionEntry {
    const wchar_t* name;  // the long name, "--" included
    wchar_t shortName;    // 0 when there is none
    bool takesValue;
    bool optionalValue = false;  // the value only as --name=value
};

constexpr OptionEntry kOptions[] = {
    {L"--mode", 0, true},          {L"--wide-options", 0, false},    {L"--json", 0, false},
    {L"--trace", 0, true},         {L"--output", L'o', true},        {L"--simulate", 0, false},
    {L"--sim-boot", 0, false},     {L"--sim-level", 0, true},        {L"--sim-aprom-in", 0, true},
    {L"--sim-aprom-out", 0, true}, {L"--sim-fault", 0, true},        {L"--sim-clock", 0, true},
    {L"--help", L'h', false},      {L"--version", L'V', false},      {L"--verbose", L'v', false},
    {L"--quiet", L'q', false},     {L"--device", 0, true},           {L"--wait", 0, false, true},
    {L"--sim-writers", 0, true},   {L"--sim-arrive-after", 0, true}, {L"--force", 0, false},
};

const CommandEntry* FindCommand(const std::wstring& name) {
    for (const CommandEntry& entry : kCommands) {
        if (name == entry.name) return &entry;
    }
    return nullptr;
}

const OptionEntry* FindLong(const std::wstring& name) {
    for (const OptionEntry& entry : kOptions) {
        if (name == entry.name) return &entry;
    }
    return nullptr;
}

const OptionEntry* FindShort(wchar_t c) {
    for (const OptionEntry& entry : kOptions) {
        if (entry.shortName != 0 && entry.shortName == c) return &entry;
    }
    return nullptr;
}

std::wstring WithSuggestion(std::wstring error, const std::wstring& typed,
                            const std::vector<std::wstring>& candidates) {
    const std::wstring nearest = NearestName(typed, candidates);
    if (!nearest.empty()) error += L"; did you mean '" + nearest + L"'?";
    return error;
}

std::wstring UnknownCommand(const std::wstring& name) {
    std::vector<std::wstring> names;
    for (const CommandEntry& entry : kCommands) names.emplace_back(entry.name);
    return WithSuggestion(L"unknown command '" + name + L"'", name, names);
}

std::wstring UnknownOption(const std::wstring& arg) {
    std::vector<std::wstring> names;
    for (const OptionEntry& entry : kOptions) names.emplace_back(entry.name);
    const std::wstring name = arg.substr(0, arg.find(L'='));
    return WithSuggestion(L"unknown option '" + arg + L"'", name, names);
}

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
        options.simApromIn.push_back(value);
    } else if (name == L"--sim-aprom-out") {
        options.simApromOut.push_back(value);
    } else if (name == L"--sim-arrive-after") {
        options.simArriveAfter.push_back(value);
    } else if (name == L"--device") {
        options.device = value;
    } else if (name == L"--wait") {
        options.wait = true;
        if (!ParseUint32(value, options.waitSeconds) || options.waitSeconds > 86400) {
            error = L"--wait takes a number of seconds up to 86400, not '" + value + L"'";
            return false;
        }
    } else if (name == L"--sim-writers") {
        if (!ParseUint32(value, options.simWriters) || options.simWriters < 1 ||
            options.simWriters > 16) {
            error = L"--sim-writers takes a number from 1 to 16, not '" + value + L"'";
            return false;
        }
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
    } else {  // --output
        options.output = value;
    }
    if (value.empty()) {
        error = name + L" needs a non-empty value";
        return false;
    }
    return true;
}

void ApplyFlag(const std::wstring& name, Options& options) {
    if (name == L"--wide-options") options.wideOptions = true;
    if (name == L"--json") options.json = true;
    if (name == L"--force") options.force = true;
    if (name == L"--wait") options.wait = true;
    if (name == L"--simulate") options.simulate = true;
    if (name == L"--sim-boot") options.simBoot = true;
    if (name == L"--help") options.help = true;
    if (name == L"--version") options.version = true;
    if (name == L"--verbose") options.verbosity = Verbosity::Verbose;
    if (name == L"--quiet") options.verbosity = Verbosity::Quiet;
}

// Which options make sense for which command; a misplaced option is a usage error
// rather than something silently ignored.
bool CheckCombination(const Options& o, bool verbose, bool quiet, std::wstring& error) {
    const Command c = o.command;
    const bool drivesWriter = c == Command::Status || c == Command::List ||
                              c == Command::Configure || c == Command::Upgrade;
    const std::wstring name = CommandName(c);
    if (verbose && quiet) {
        error = L"-v and -q exclude each other";
        return false;
    }
    if (o.json && !drivesWriter && c != Command::Inspect) {
        error = L"--json applies to status, list, configure, upgrade and inspect only";
        return false;
    }
    if ((!o.device.empty() || o.wait) && !drivesWriter) {
        error = L"--device and --wait apply to status, list, configure and upgrade only";
        return false;
    }
    if (o.force && c != Command::Upgrade && c != Command::Seal) {
        error = L"--force applies to upgrade and seal only";
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
        error = L"--simulate and --trace apply to status, list, configure and upgrade only";
        return false;
    }
    const bool anySim = o.simBoot || o.simLevelGiven || !o.simApromIn.empty() ||
                        !o.simApromOut.empty() || !o.simFaults.empty() ||
                        !o.simArriveAfter.empty() || o.simWriters != 1 ||
                        o.simClock != ClockKind::Real;
    if (anySim && !o.simulate) {
        error = L"the --sim-* options need --simulate";
        return false;
    }
    return true;
}

// Reads every option into `options` and the other arguments into `positional`.
// Stops at the first problem, with `error` set.
class Scanner {
public:
    Scanner(const std::vector<std::wstring>& args, Options& options)
        : m_args(args), m_options(options) {}

    bool Scan(std::vector<std::wstring>& positional, std::wstring& error) {
        bool optionsEnded = false;
        for (m_at = 0; m_at < m_args.size(); ++m_at) {
            const std::wstring& arg = m_args[m_at];
            if (optionsEnded || arg.size() < 2 || arg[0] != L'-') {
                positional.push_back(arg);
            } else if (arg == L"--") {
                optionsEnded = true;
            } else if (arg[1] == L'-') {
                if (!Long(arg, error)) return false;
            } else if (!Short(arg, error)) {
                return false;
            }
        }
        return true;
    }

    bool sawVerbose = false;
    bool sawQuiet = false;

private:
    bool Flag(const OptionEntry& entry) {
        ApplyFlag(entry.name, m_options);
        sawVerbose = sawVerbose || m_options.verbosity == Verbosity::Verbose;
        sawQuiet = sawQuiet || m_options.verbosity == Verbosity::Quiet;
        return true;
    }

    // The value of an option written apart: the next argument.
    bool NextValue(const std::wstring& name, std::wstring& value, std::wstring& error) {
        if (m_at + 1 >= m_args.size()) {
            error = name + L" needs a value";
            return false;
        }
        value = m_args[++m_at];
        return true;
    }

    // --name, --name=value, --name value.
    bool Long(const std::wstring& arg, std::wstring& error) {
        const size_t eq = arg.find(L'=');
        const std::wstring name = arg.substr(0, eq);
        const OptionEntry* entry = FindLong(name);
        if (entry == nullptr) {
            error = UnknownOption(arg);
            return false;
        }
        if (entry->optionalValue && eq != std::wstring::npos) {
            return ApplyValue(entry->name, arg.substr(eq + 1), m_options, error);
        }
        if (!entry->takesValue) {
            if (eq != std::wstring::npos) {
                error = name + L" takes no value";
                return false;
            }
            return Flag(*entry);
        }
        std::wstring value;
        if (eq != std::wstring::npos) {
            value = arg.substr(eq + 1);
        } else if (!NextValue(name, value, error)) {
            return false;
        }
        return ApplyValue(entry->name, value, m_options, error);
    }

    // -x, -xVALUE, -x VALUE, and flags together (-vV).
    bool Short(const std::wstring& arg, std::wstring& error) {
        for (size_t i = 1; i < arg.size(); ++i) {
            const OptionEntry* entry = FindShort(arg[i]);
            if (entry == nullptr) {
                error = i == 1 ? UnknownOption(arg)
                               : L"unknown option '-" + std::wstring(1, arg[i]) + L"' in '" + arg +
                                     L"'";
                return false;
            }
            if (!entry->takesValue) {
                Flag(*entry);
                continue;
            }
            std::wstring value = arg.substr(i + 1);
            const std::wstring shown = L"-" + std::wstring(1, arg[i]);
            if (value.empty() && !NextValue(shown, value, error)) return false;
            return ApplyValue(entry->name, value, m_options, error);
        }
        return true;
    }

    const std::vector<std::wstring>& m_args;
    Options& m_options;
    size_t m_at = 0;
};

// The help topic of `help [COMMAND]` or `COMMAND --help`.
bool HelpTopic(const std::vector<std::wstring>& positional, Options& options, std::wstring& error) {
    options.help = true;
    options.helpTopic = Command::None;
    size_t at = 0;
    if (!positional.empty() && positional[0] == L"help") at = 1;
    if (at >= positional.size()) return true;
    const CommandEntry* found = FindCommand(positional[at]);
    if (found == nullptr) {
        error = UnknownCommand(positional[at]);
        return false;
    }
    if (found->command != Command::Help) options.helpTopic = found->command;
    return true;
}

size_t EditDistance(const std::wstring& a, const std::wstring& b) {
    // Optimal string alignment: insertions, deletions, substitutions and swaps of
    // two neighbours each count one.
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

}  // namespace

const wchar_t* CommandName(Command command) {
    for (const CommandEntry& entry : kCommands) {
        if (entry.command == command) return entry.name;
    }
    return L"";
}

std::wstring NearestName(const std::wstring& typed, const std::vector<std::wstring>& candidates) {
    std::wstring best;
    size_t bestDistance = 3;
    for (const std::wstring& candidate : candidates) {
        const size_t distance = EditDistance(typed, candidate);
        if (distance < bestDistance && distance < typed.size()) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
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

bool AsksForJson(const std::vector<std::wstring>& args, Command& command) {
    command = Command::None;
    bool json = false;
    bool optionsEnded = false;
    for (size_t at = 0; at < args.size(); ++at) {
        const std::wstring& arg = args[at];
        if (optionsEnded || arg.size() < 2 || arg[0] != L'-') {
            const CommandEntry* found = FindCommand(arg);
            if (command == Command::None && found != nullptr) command = found->command;
        } else if (arg == L"--") {
            optionsEnded = true;
        } else if (arg[1] == L'-') {
            const size_t eq = arg.find(L'=');
            const OptionEntry* entry = FindLong(arg.substr(0, eq));
            json = json || arg == L"--json";
            // A value written apart is the next argument, whatever it looks like.
            if (entry != nullptr && entry->takesValue && eq == std::wstring::npos) ++at;
        } else {
            for (size_t i = 1; i < arg.size(); ++i) {
                const OptionEntry* entry = FindShort(arg[i]);
                if (entry == nullptr || !entry->takesValue) continue;
                if (i + 1 == arg.size()) ++at;
                break;
            }
        }
    }
    return json;
}

bool ParseOptions(const std::vector<std::wstring>& args, Options& options, std::wstring& error) {
    options = Options{};
    error.clear();

    // --help and --version answer whatever else the line holds.
    bool help = false;
    bool version = false;
    for (const std::wstring& arg : args) {
        if (arg == L"--") break;
        help = help || arg == L"--help" || arg == L"-h";
        version = version || arg == L"--version" || arg == L"-V";
    }

    std::vector<std::wstring> positional;
    Scanner scanner(args, options);
    const bool scanned = scanner.Scan(positional, error);
    help = help || options.help;
    version = version || options.version;
    if (version && !help) {
        options = Options{};
        options.version = true;
        error.clear();
        return true;
    }
    if (help) {
        // The topic is the command named on the line, if any; the rest is not checked.
        const Verbosity verbosity = options.verbosity;
        options = Options{};
        options.verbosity = verbosity;
        error.clear();
        std::vector<std::wstring> known;
        for (const std::wstring& p : positional) {
            if (FindCommand(p) != nullptr) known.push_back(p);
        }
        return HelpTopic(known, options, error);
    }
    if (!scanned) return false;

    if (positional.empty()) {
        error = L"no command given";
        return false;
    }
    const CommandEntry* found = FindCommand(positional[0]);
    if (found == nullptr) {
        error = UnknownCommand(positional[0]);
        return false;
    }
    if (found->command == Command::Help) {
        if (positional.size() > 2) {
            error = L"unexpected argument '" + positional[2] + L"'";
            return false;
        }
        return HelpTopic(positional, options, error);
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
    return CheckCombination(options, scanner.sawVerbose, scanner.sawQuiet, error);
}

}  // namespace vantrel::cli
