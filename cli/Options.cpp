#include "cli/Options.h"

#include <algorithm>

#include "cli/CommandTable.h"

namespace vantrel::cli {

namespace {

const OptionEntry* FindLong(const std::wstring& name) {
    for (const OptionEntry& entry : OptionTable()) {
        if (name == entry.name) return &entry;
    }
    return nullptr;
}

const OptionEntry* FindShort(wchar_t c) {
    for (const OptionEntry& entry : OptionTable()) {
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
    for (const CommandEntry& entry : CommandTable()) names.emplace_back(entry.name);
    return WithSuggestion(L"unknown command '" + name + L"'", name, names);
}

std::wstring UnknownOption(const std::wstring& arg) {
    std::vector<std::wstring> names;
    for (const OptionEntry& entry : OptionTable()) names.emplace_back(entry.name);
    const std::wstring name = arg.substr(0, arg.find(L'='));
    return WithSuggestion(L"unknown option '" + arg + L"'", name, names);
}

// "status, list, configure and upgrade": the commands an option goes with.
std::wstring CommandList(const OptionEntry& option) {
    std::vector<std::wstring> names;
    for (const CommandEntry& command : CommandTable()) {
        if (OptionApplies(option, command.command)) names.emplace_back(command.name);
    }
    std::wstring list;
    for (size_t i = 0; i < names.size(); ++i) {
        if (i > 0) list += i + 1 == names.size() ? L" and " : L", ";
        list += names[i];
    }
    return list;
}

// Which options make sense for which command; a misplaced option is a usage error
// rather than something silently ignored.
bool CheckCombination(const Options& o, bool verbose, bool quiet, std::wstring& error) {
    const CommandEntry& command = *FindCommand(o.command);
    if (verbose && quiet) {
        error = L"-v and -q exclude each other";
        return false;
    }
    bool anySim = false;
    bool anyStation = false;
    for (const OptionEntry& option : OptionTable()) {
        if (option.given == nullptr || !option.given(o)) continue;
        anySim = anySim || option.needsSimulate;
        anyStation = anyStation || option.needsAll;
        if (option.needsSimulate || OptionApplies(option, o.command)) continue;
        const std::wstring subject =
            option.misplacedSubject != nullptr ? option.misplacedSubject : option.name;
        const bool several = subject.find(L" and ") != std::wstring::npos;
        error =
            subject + (several ? L" apply to " : L" applies to ") + CommandList(option) + L" only";
        return false;
    }
    if (command.needsOutput && o.output.empty()) {
        error = std::wstring(command.name) + L" needs -o FILE";
        return false;
    }
    if (anyStation && !o.all) {
        error = L"--watch, --count, --idle and --log go with --all";
        return false;
    }
    if (o.all && (!o.device.empty() || !o.trace.empty())) {
        error = L"--all runs every writer: it excludes --device and --trace";
        return false;
    }
    if (o.all && o.wait && o.watch) {
        error = L"--watch waits for writers itself: it excludes --wait";
        return false;
    }
    if (anySim && !o.simulate) {
        error = L"the --sim-* options need --simulate";
        return false;
    }
    return true;
}

// Sets an option with a value; a value may not be empty.
bool ApplyValue(const OptionEntry& option, const std::wstring& value, Options& options,
                std::wstring& error) {
    if (!option.apply(value, options, error)) return false;
    if (value.empty()) {
        error = std::wstring(option.name) + L" needs a non-empty value";
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
        std::wstring unused;
        entry.apply(kFlagValue, m_options, unused);
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
            return ApplyValue(*entry, arg.substr(eq + 1), m_options, error);
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
        return ApplyValue(*entry, value, m_options, error);
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
            return ApplyValue(*entry, value, m_options, error);
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
    const CommandEntry* entry = FindCommand(command);
    return entry != nullptr ? entry->name : L"";
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
