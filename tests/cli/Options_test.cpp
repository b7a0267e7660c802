// The command line: commands, file arguments and options in any order, and a
// clear complaint for everything that cannot be used.

#include "cli/Options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vantrel::cli;

namespace {

Options Parse(const std::vector<std::wstring>& args) {
    Options options;
    std::wstring error;
    EXPECT_TRUE(ParseOptions(args, options, error)) << std::string(error.begin(), error.end());
    return options;
}

std::wstring Error(const std::vector<std::wstring>& args) {
    Options options;
    std::wstring error;
    EXPECT_FALSE(ParseOptions(args, options, error));
    EXPECT_FALSE(error.empty());
    return error;
}

TEST(CliOptions, OptionsStandBeforeOrAfterTheCommandAndTheFile) {
    const std::vector<std::vector<std::wstring>> orders = {
        {L"--simulate", L"--mode", L"five", L"configure", L"a.ctl", L"--trace", L"t.txt"},
        {L"configure", L"--simulate", L"a.ctl", L"--mode=five", L"--trace=t.txt"},
        {L"configure", L"a.ctl", L"--trace", L"t.txt", L"--mode", L"five", L"--simulate"},
    };
    for (const auto& args : orders) {
        const Options o = Parse(args);
        EXPECT_EQ(o.command, Command::Configure);
        EXPECT_EQ(o.file, L"a.ctl");
        EXPECT_EQ(o.mode, 2);
        EXPECT_EQ(o.trace, L"t.txt");
        EXPECT_TRUE(o.simulate);
    }
}

TEST(CliOptions, EveryOptionReachesItsField) {
    const Options o =
        Parse({L"upgrade", L"f.hex", L"--simulate", L"--sim-boot", L"--sim-level", L"0x02FFFFFF",
               L"--sim-aprom-in", L"in.bin", L"--sim-aprom-out", L"out.bin", L"--sim-fault",
               L"noboot", L"--sim-fault", L"refuse:EraseApromPage#3", L"--sim-clock", L"virtual"});
    EXPECT_EQ(o.command, Command::Upgrade);
    EXPECT_TRUE(o.simBoot);
    EXPECT_TRUE(o.simLevelGiven);
    EXPECT_EQ(o.simLevel, 0x02FFFFFFu);
    EXPECT_EQ(o.simApromIn, std::vector<std::wstring>{L"in.bin"});
    EXPECT_EQ(o.simApromOut, std::vector<std::wstring>{L"out.bin"});
    EXPECT_EQ(o.simFaults, (std::vector<std::string>{"noboot", "refuse:EraseApromPage#3"}));
    EXPECT_EQ(o.simClock, ClockKind::Virtual);

    const Options defaults = Parse({L"status"});
    EXPECT_EQ(defaults.mode, 0);
    EXPECT_EQ(defaults.simLevel, 0x03000000u);
    EXPECT_EQ(defaults.simClock, ClockKind::Real);
    EXPECT_FALSE(defaults.simulate);

    const Options inspect = Parse({L"--json", L"inspect", L"--wide-options", L"x.ctl"});
    EXPECT_TRUE(inspect.json);
    EXPECT_TRUE(inspect.wideOptions);
    EXPECT_EQ(Parse({L"seal", L"p.txt", L"-o", L"f.hex"}).output, L"f.hex");
    EXPECT_EQ(Parse({L"pack", L"--output=d.ctl", L"d.json"}).output, L"d.ctl");
    // After "--" a file may begin with a dash.
    EXPECT_EQ(Parse({L"inspect", L"--", L"-odd.ctl"}).file, L"-odd.ctl");
}

TEST(CliOptions, ShortOptionsTakeTheirValueAttachedOrApart) {
    EXPECT_EQ(Parse({L"pack", L"d.json", L"-oout.ctl"}).output, L"out.ctl");
    EXPECT_EQ(Parse({L"-o", L"out.ctl", L"pack", L"d.json"}).output, L"out.ctl");
    EXPECT_EQ(Parse({L"status", L"-v"}).verbosity, Verbosity::Verbose);
    EXPECT_EQ(Parse({L"--quiet", L"status"}).verbosity, Verbosity::Quiet);
    EXPECT_EQ(Parse({L"status"}).verbosity, Verbosity::Normal);
    EXPECT_TRUE(Parse({L"-vV"}).version);
}

TEST(CliOptions, HelpAndVersionWinOverEverythingElse) {
    const struct {
        std::vector<std::wstring> args;
        bool help;
        Command topic;
    } cases[] = {
        {{L"--help"}, true, Command::None},
        {{L"frobnicate", L"-h", L"--bogus"}, true, Command::None},
        {{L"configure", L"--help"}, true, Command::Configure},
        {{L"--sim-boot", L"upgrade", L"-h"}, true, Command::Upgrade},
        {{L"help"}, true, Command::None},
        {{L"help", L"inspect"}, true, Command::Inspect},
        {{L"help", L"help"}, true, Command::None},
        {{L"--version"}, false, Command::None},
        {{L"status", L"-V", L"--bogus"}, false, Command::None},
    };
    for (const auto& c : cases) {
        const Options o = Parse(c.args);
        EXPECT_EQ(o.help, c.help) << std::string(c.args[0].begin(), c.args[0].end());
        EXPECT_EQ(o.version, !c.help);
        EXPECT_EQ(o.helpTopic, c.topic);
    }
}

TEST(CliOptions, AMistypedNameGetsTheNearestOne) {
    EXPECT_EQ(Error({L"confgure", L"x.ctl"}),
              L"unknown command 'confgure'; did you mean 'configure'?");
    EXPECT_EQ(Error({L"help", L"upgarde"}), L"unknown command 'upgarde'; did you mean 'upgrade'?");
    EXPECT_EQ(Error({L"status", L"--simualte"}),
              L"unknown option '--simualte'; did you mean '--simulate'?");
    EXPECT_EQ(Error({L"status", L"--trce=x"}),
              L"unknown option '--trce=x'; did you mean '--trace'?");
    // Nothing near: no guess.
    EXPECT_EQ(Error({L"flash", L"x"}), L"unknown command 'flash'");
    EXPECT_EQ(Error({L"xy"}), L"unknown command 'xy'");
}

TEST(CliOptions, UsageErrorsNameTheProblem) {
    EXPECT_EQ(Error({}), L"no command given");
    EXPECT_EQ(Error({L"configure"}), L"configure needs a file argument");
    EXPECT_EQ(Error({L"status", L"extra"}), L"unexpected argument 'extra'");
    EXPECT_EQ(Error({L"upgrade", L"a.hex", L"b.hex"}), L"unexpected argument 'b.hex'");
    EXPECT_EQ(Error({L"status", L"--frobnicate"}), L"unknown option '--frobnicate'");
    EXPECT_EQ(Error({L"configure", L"a.ctl", L"--mode"}), L"--mode needs a value");
    EXPECT_NE(Error({L"configure", L"a.ctl", L"--mode", L"seven"}).find(L"six or five"),
              std::wstring::npos);
    EXPECT_NE(Error({L"--simulate", L"--sim-clock", L"fast", L"status"}).find(L"real or virtual"),
              std::wstring::npos);
    EXPECT_NE(Error({L"--simulate", L"--sim-level", L"0x100000000", L"status"}).find(L"32-bit"),
              std::wstring::npos);
    EXPECT_NE(Error({L"--simulate=yes", L"status"}).find(L"takes no value"), std::wstring::npos);
    EXPECT_EQ(Error({L"status", L"-v", L"-q"}), L"-v and -q exclude each other");
    EXPECT_EQ(Error({L"pack", L"d.json", L"-o"}), L"-o needs a value");
}

TEST(CliOptions, OptionsThatDoNotFitTheCommandAreRefused) {
    EXPECT_NE(Error({L"--sim-boot", L"status"}).find(L"need --simulate"), std::wstring::npos);
    EXPECT_NE(Error({L"--json", L"pack", L"d.json", L"-o", L"x"}).find(L"list, configure"),
              std::wstring::npos);
    EXPECT_NE(Error({L"--device", L"1-2", L"inspect", L"x.ctl"}).find(L"--device and --wait"),
              std::wstring::npos);
    EXPECT_NE(Error({L"--wait=x", L"status"}).find(L"seconds"), std::wstring::npos);
    EXPECT_NE(Error({L"--sim-writers", L"0", L"status"}).find(L"1 to 64"), std::wstring::npos);
    EXPECT_NE(Error({L"--mode", L"six", L"upgrade", L"f.hex"}).find(L"configure only"),
              std::wstring::npos);
    EXPECT_NE(Error({L"pack", L"d.json"}).find(L"needs -o"), std::wstring::npos);
    EXPECT_NE(Error({L"-o", L"x", L"status"}).find(L"pack and seal only"), std::wstring::npos);
    EXPECT_NE(Error({L"--simulate", L"inspect", L"x.ctl"}).find(L"status, list, configure"),
              std::wstring::npos);
}

TEST(CliOptions, NumbersAreDecimalOrHexadecimalAndFit32Bits) {
    uint32_t v = 0;
    EXPECT_TRUE(ParseUint32(L"50331648", v));
    EXPECT_EQ(v, 0x03000000u);
    EXPECT_TRUE(ParseUint32(L"0xffffffff", v));
    EXPECT_EQ(v, 0xFFFFFFFFu);
    EXPECT_FALSE(ParseUint32(L"4294967296", v));
    EXPECT_FALSE(ParseUint32(L"0x", v));
    EXPECT_FALSE(ParseUint32(L"", v));
    EXPECT_FALSE(ParseUint32(L"12a", v));
    EXPECT_FALSE(ParseUint32(L"-1", v));
}

}  // namespace
