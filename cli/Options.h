#pragma once
// The command line of vantrel-cli: one command, its file argument and the options,
// which may stand before or after the command and the file.

#include <cstdint>
#include <string>
#include <vector>

#include "common/Text.h"

namespace vantrel::cli {

enum class Command { None, Status, List, Configure, Upgrade, Inspect, Pack, Seal, Help };
enum class ClockKind { Real, Virtual };
// -q: only errors and the result; -v: also each step as it starts.
enum class Verbosity { Quiet, Normal, Verbose };

struct Options {
    Command command = Command::None;
    // FILE of configure / upgrade / inspect, DESCRIPTION of pack, PLAIN of seal.
    std::wstring file;
    // -o FILE of pack and seal.
    std::wstring output;

    // --help, -h, `help` and `COMMAND --help`: the help of `helpTopic`, or the whole
    // help when it is Command::None.
    bool help = false;
    Command helpTopic = Command::None;
    bool version = false;
    Verbosity verbosity = Verbosity::Normal;

    // Answer of the programming-mode question: 0 ask (or six-wire when nobody can be
    // asked), 1 six-wire, 2 five-wire.
    uint8_t mode = 0;
    bool wideOptions = false;
    bool json = false;
    // --force: upgrade or seal a firmware file that fails its check.
    bool force = false;
    std::wstring trace;
    // --device: a USB location or an interface path; empty: whichever writer is
    // attached, if it is the only one.
    std::wstring device;
    // --wait[=SECONDS]: wait this long for a writer before the command runs.
    bool wait = false;
    uint32_t waitSeconds = 30;

    // The station: --all runs the job on every attached writer at once; --watch also
    // on each one plugged in later, until --count jobs or --idle seconds without one.
    bool all = false;
    bool watch = false;
    uint32_t count = 0;
    uint32_t idleSeconds = 0;
    // --log FILE: one JSON line appended per finished job.
    std::wstring log;

    bool simulate = false;
    bool simBoot = false;
    bool simLevelGiven = false;
    uint32_t simLevel = 0x03000000;
    // Writers on the simulated bus (sim-1 .. sim-N).
    uint32_t simWriters = 1;
    // --sim-aprom-in, --sim-aprom-out and --sim-arrive-after as given; each may name
    // a writer ("sim-2:FILE"), else it applies to every writer (aprom-out: to the
    // writer the command used).
    std::vector<std::wstring> simApromIn;
    std::vector<std::wstring> simApromOut;
    std::vector<std::wstring> simArriveAfter;
    // Fault texts as given ("sim-2:refuse:DownLeve" names a writer); the simulated
    // writer's grammar checks them.
    std::vector<std::string> simFaults;
    ClockKind simClock = ClockKind::Real;
};

// Parses the arguments (without the program name). On a usage error returns false
// with a one-line `error` that names the problem (and, for a mistyped command or
// option, the nearest one). --help and --version succeed without a command.
bool ParseOptions(const std::vector<std::wstring>& args, Options& options, std::wstring& error);

// For a line that fails to parse: whether it asks for --json, and the command it
// names (Command::None when none), read as the parser reads them.
bool AsksForJson(const std::vector<std::wstring>& args, Command& command);

// The number reader of every option (common/Text.h).
using vantrel::ParseUint32;

// The name of a command as typed ("status", ...).
const wchar_t* CommandName(Command command);

// The candidate nearest to a mistyped word (at most two edits away, and fewer than
// the word has letters), or an empty text.
std::wstring NearestName(const std::wstring& typed, const std::vector<std::wstring>& candidates);

}  // namespace vantrel::cli
