// vantrel-cli end to end: status, configure and upgrade as a user runs them, against
// the simulated writer (in virtual time) and against the real backend of this
// machine, which has no writer attached.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "tests/cli/RunCli.h"
#include "tests/cli/TraceDecoder.h"
#include "tests/support/TempDir.h"
#include "upgrade/IntelHexWriter.h"

using namespace vantrel::test;

namespace {

// A type '7' IC (the operator is asked for the programming mode) with EEPROM
// contents, so every step of the sequence runs.
const char kWriterDescription[] = R"({
  "name": "CLI-TEST-IC",
  "key": "0123456789ABCDEF",
  "ic_type": "7",
  "descriptor_options": [1, 2, 3, 4],
  "family_number": 7,
  "program_words": [4660, 22136, "0x3FFF", 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14,
                    15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33],
  "eeprom_bytes": "01 02 03 04 05",
  "id": "00 00 00 00 00 00 00 00 00 00 00 00 54 45 53 54",
  "pro_checksum": "00 00 CD AB",
  "leve": 7
})";

class CliWriterTest : public ::testing::Test {
protected:
    TempDir dir;

    std::string Path(const wchar_t* name) { return Arg(dir.File(name)); }

    std::string PackedControlFile() {
        dir.Write(L"ic.json", std::string(kWriterDescription));
        const CliRun pack = RunCli({"pack", Path(L"ic.json"), "-o", Path(L"ic.ctl")});
        EXPECT_EQ(pack.status, 0) << pack.err;
        return Path(L"ic.ctl");
    }

    std::vector<TracedCommand> Trace(const wchar_t* name) {
        std::vector<TracedCommand> commands;
        std::string error;
        const std::vector<uint8_t> bytes = ReadWholeFile(dir.File(name));
        EXPECT_TRUE(DecodeTrace(std::string(bytes.begin(), bytes.end()), commands, error)) << error;
        return commands;
    }
};

TEST_F(CliWriterTest, StatusFindsTheSimulatedApplication) {
    const CliRun run = RunCli({"--simulate", "status"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "writer connect\n");
}

TEST_F(CliWriterTest, StatusFindsTheSimulatedBootLoaderAndTrustsOnlyItsAnswer) {
    const CliRun boot = RunCli({"status", "--simulate", "--sim-boot"});
    EXPECT_EQ(boot.status, 0);
    EXPECT_EQ(boot.out, "boot connect\n");

    // A boot loader that never answers its query is not a writer found; its read
    // failure is shown as the dialog's box text, without the trailing line feed.
    const CliRun silent = RunCli(
        {"--simulate", "--sim-boot", "--sim-fault", "noboot", "--sim-clock", "virtual", "status"});
    EXPECT_EQ(silent.status, 3);
    EXPECT_TRUE(silent.Printed("writer unconnect")) << silent.out;
    EXPECT_TRUE(silent.Printed("Message: ERROR: Read fail!")) << silent.out;
}

TEST_F(CliWriterTest, StatusWithoutAWriterOnTheRealBackendFails) {
    const CliRun run = RunCli({"status"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.Lines().front(), "writer unconnect");
}

TEST_F(CliWriterTest, ConfigureRunsEveryStepInOrderAndShowsTheResult) {
    const std::string ctl = PackedControlFile();
    const CliRun run = RunCli({"--simulate", "--sim-clock", "virtual", "configure", ctl, "--mode",
                               "five", "--trace", Path(L"trace.txt")});
    ASSERT_EQ(run.status, 0) << run.out << run.err;

    const std::vector<std::string> expectedLines = {
        "writer connect", "IC: CLI-TEST-IC",           "配置烧录器中......",
        "配置成功",       "Message: 烧录器配置成功！", "M+O+E：ABCD",
        "MEMORY：TEST"};
    EXPECT_EQ(run.Lines(), expectedLines);

    const std::vector<TracedCommand> commands = Trace(L"trace.txt");
    const std::vector<std::string> expected = {
        "QueryWriterLevel", "ConnectWriter", "DownData",        "DownIC",
        "DownEE",           "DownOPT",       "DownIC",          "DownSN",
        "DownPass",         "DownID",        "DownProCheckSum", "DownINRCSET",
        "DownIOSet",        "DownICName",    "DownLeve",        "DisConnectWriter"};
    EXPECT_EQ(Names(commands), expected);
    // 37 words are 74 bytes: two data reports; five EEPROM bytes: one.
    EXPECT_EQ(commands[2].dataReports, 2);
    EXPECT_EQ(commands[4].dataReports, 1);
    // --mode five answers the question with 2; the IC name and the level byte follow.
    EXPECT_EQ(commands[12].bytes[8], 2);
    EXPECT_EQ(std::string(commands[13].bytes.begin() + 8, commands[13].bytes.begin() + 19),
              "CLI-TEST-IC");
    EXPECT_EQ(commands[14].bytes[8], 7);
    for (const TracedCommand& c : commands) EXPECT_FALSE(c.boot) << c.name;
}

TEST_F(CliWriterTest, TheWriterLevelAndTheUnaskedModeQuestionShapeTheSequence) {
    const std::string ctl = PackedControlFile();
    // Nobody can be asked (standard input is not a terminal): six-wire, 1.
    const CliRun unasked = RunCli(
        {"--simulate", "--sim-clock", "virtual", "--trace", Path(L"six.txt"), "configure", ctl});
    ASSERT_EQ(unasked.status, 0) << unasked.out;
    const std::vector<TracedCommand> six = Trace(L"six.txt");
    const auto ioSet = std::find_if(six.begin(), six.end(),
                                    [](const TracedCommand& c) { return c.name == "DownIOSet"; });
    ASSERT_NE(ioSet, six.end());
    EXPECT_EQ(ioSet->bytes[8], 1);

    // Below level 0x03000000 the writer gets neither the mode nor the IC name.
    const CliRun old = RunCli({"--simulate", "--sim-clock", "virtual", "--sim-level", "0x02FFFFFF",
                               "--trace", Path(L"old.txt"), "configure", ctl});
    ASSERT_EQ(old.status, 0) << old.out;
    const std::vector<std::string> names = Names(Trace(L"old.txt"));
    EXPECT_EQ(std::count(names.begin(), names.end(), "DownIOSet"), 0);
    EXPECT_EQ(std::count(names.begin(), names.end(), "DownICName"), 0);
    EXPECT_EQ(names.back(), "DisConnectWriter");
}

TEST_F(CliWriterTest, ARefusedStepFailsTheConfigurationWithoutDisconnecting) {
    const std::string ctl = PackedControlFile();
    const CliRun run = RunCli({"--simulate", "--sim-clock", "virtual", "--sim-fault",
                               "refuse:DownLeve", "--trace", Path(L"trace.txt"), "configure", ctl});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.Printed("Message: Error：DownLeve")) << run.out;
    EXPECT_TRUE(run.Printed("Message: 烧录器配置失败！")) << run.out;
    EXPECT_FALSE(run.Printed("M+O+E：ABCD")) << run.out;

    const std::vector<std::string> names = Names(Trace(L"trace.txt"));
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.back(), "DownLeve");
    EXPECT_EQ(std::count(names.begin(), names.end(), "DisConnectWriter"), 0);
}

TEST_F(CliWriterTest, ConfigureRefusesAControlFileThatFailsItsChecks) {
    const std::vector<uint8_t> broken(34718, 0x11);
    const std::wstring path = dir.Write(L"broken.ctl", broken);
    const CliRun run = RunCli({"--simulate", "--sim-clock", "virtual", "configure", Arg(path)});
    EXPECT_EQ(run.status, 4);
    // The dialog shows the text in the error pane and in a box: the box's is marked.
    const std::vector<std::string> lines = run.Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "第一次校验错误！"), 1) << run.out;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Message: 第一次校验错误！"), 1) << run.out;
}

TEST_F(CliWriterTest, ConfigureWithoutAWriterSaysSoAndFails) {
    const std::string ctl = PackedControlFile();
    const CliRun run = RunCli({"configure", ctl});
    EXPECT_EQ(run.status, 3);
    EXPECT_TRUE(run.Printed("USB未连接")) << run.out;
}

TEST_F(CliWriterTest, UpgradeProgramsTheImageOfTheFirmwareFile) {
    // 10 KB of firmware: the rest of the APROM is programmed with zero bytes.
    std::vector<uint8_t> image(10240);
    std::mt19937 random(7);
    for (uint8_t& b : image) b = static_cast<uint8_t>(random());
    dir.Write(L"fw.txt", vantrel::BuildIntelHex(image));
    ASSERT_EQ(RunCli({"seal", Path(L"fw.txt"), "-o", Path(L"fw.hex")}).status, 0);

    const CliRun run =
        RunCli({"--simulate", "--sim-clock", "virtual", "--sim-aprom-out", Path(L"aprom.bin"),
                "--trace", Path(L"trace.txt"), "upgrade", Path(L"fw.hex")});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_TRUE(run.Printed("系统复位完成!"));
    EXPECT_EQ(run.Lines().back(), "writer connect");

    std::vector<uint8_t> expected(69632, 0);
    std::copy(image.begin(), image.end(), expected.begin());
    EXPECT_TRUE(ReadWholeFile(dir.File(L"aprom.bin")) == expected);

    const std::vector<TracedCommand> commands = Trace(L"trace.txt");
    ASSERT_EQ(commands.size(), 1u + 1u + 136u + 136u * 2u + 1u);
    EXPECT_EQ(commands[0].name, "EnterLdrom");
    EXPECT_FALSE(commands[0].boot);
    EXPECT_EQ(commands[1].name, "QueryBootLoader");
    for (size_t i = 0; i < 136; ++i) {
        const TracedCommand& erase = commands[2 + i];
        EXPECT_EQ(erase.name, "EraseApromPage");
        EXPECT_EQ(erase.bytes[8] | erase.bytes[9] << 8 | erase.bytes[10] << 16, int(i * 512));
    }
    for (size_t i = 0; i < 136; ++i) {
        const TracedCommand& program = commands[138 + 2 * i];
        EXPECT_EQ(program.name, "ProgramApromPage");
        EXPECT_EQ(program.dataReports, 8);
        EXPECT_EQ(program.bytes[8] | program.bytes[9] << 8 | program.bytes[10] << 16, int(i * 512));
        EXPECT_EQ(commands[139 + 2 * i].name, "ReadApromChecksum");
    }
    EXPECT_EQ(commands.back().name, "SystemReset");
}

TEST_F(CliWriterTest, AFailedUpgradeStillWritesTheApromAndFails) {
    std::vector<uint8_t> image(1024, 0x5A);
    dir.Write(L"fw.txt", vantrel::BuildIntelHex(image));
    ASSERT_EQ(RunCli({"seal", Path(L"fw.txt"), "-o", Path(L"fw.hex")}).status, 0);
    const CliRun run =
        RunCli({"--simulate", "--sim-boot", "--sim-clock", "virtual", "--sim-fault", "badsum:1",
                "--sim-aprom-out", Path(L"aprom.bin"), "upgrade", Path(L"fw.hex")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.Printed("CheckSum验证失败!")) << run.out;
    EXPECT_FALSE(run.Printed("系统复位完成!"));
    const std::vector<uint8_t> aprom = ReadWholeFile(dir.File(L"aprom.bin"));
    ASSERT_EQ(aprom.size(), 69632u);
    // Pages 0 and 1 were programmed; page 2 onwards stayed erased.
    EXPECT_EQ(aprom[0], 0x5A);
    EXPECT_EQ(aprom[1023], 0x5A);
    EXPECT_EQ(aprom[1024], 0xFF);
}

TEST_F(CliWriterTest, ArgumentsThatCannotBeUsedExitWithTwo) {
    EXPECT_EQ(RunCli({"--simulate", "configure", Path(L"missing.ctl")}).status, 2);
    EXPECT_EQ(RunCli({"--simulate", "--sim-fault", "refuse:Nothing", "status"}).status, 2);
    EXPECT_EQ(RunCli({"--simulate", "--sim-aprom-in", Path(L"missing.bin"), "status"}).status, 2);
    dir.Write(L"short.bin", std::vector<uint8_t>(100, 0));
    EXPECT_EQ(RunCli({"--simulate", "--sim-aprom-in", Path(L"short.bin"), "status"}).status, 2);
    const CliRun usage = RunCli({"frobnicate"});
    EXPECT_EQ(usage.status, 2);
    EXPECT_NE(usage.err.find("unknown command"), std::string::npos);
    EXPECT_TRUE(usage.out.empty());
}

TEST_F(CliWriterTest, EachExitClass) {
    const std::string ctl = PackedControlFile();
    dir.Write(L"broken.ctl", std::vector<uint8_t>(34718, 0x11));
    const std::vector<std::string> sim = {"--simulate", "--sim-clock", "virtual"};
    auto with = [&](std::vector<std::string> args) {
        args.insert(args.begin(), sim.begin(), sim.end());
        return args;
    };
    const struct {
        std::vector<std::string> args;
        int status;
    } cases[] = {
        {with({"configure", ctl}), 0},
        {with({"configure", ctl, "--sim-fault", "silent:DownData"}), 1},
        {with({"configure", ctl, "--mode", "seven"}), 2},
        {{"configure", ctl}, 3},  // the real backend: no writer attached
        {with({"configure", Path(L"broken.ctl")}), 4},
    };
    for (const auto& c : cases) {
        const CliRun run = RunCli(c.args);
        EXPECT_EQ(run.status, c.status) << run.out << run.err;
    }
}

TEST_F(CliWriterTest, VerbosityChoosesWhatIsPrinted) {
    const std::string ctl = PackedControlFile();
    std::vector<uint8_t> image(1024, 0x5A);
    dir.Write(L"fw.txt", vantrel::BuildIntelHex(image));
    ASSERT_EQ(RunCli({"seal", Path(L"fw.txt"), "-o", Path(L"fw.hex")}).status, 0);
    const std::string hex = Path(L"fw.hex");
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> lines;  // all of them, or with -v a part in order
    } cases[] = {
        {{"configure", ctl, "-q"}, {"Message: 烧录器配置成功！", "M+O+E：ABCD", "MEMORY：TEST"}},
        {{"configure", ctl, "--sim-fault", "refuse:DownSN", "-q"},
         {"Message: Error：DownSN", "Message: 烧录器配置失败！"}},
        {{"upgrade", hex, "-q"}, {"系统复位完成!"}},
        {{"upgrade", hex, "--sim-fault", "badsum:0", "-q"}, {"CheckSum验证失败!"}},
        {{"status", "--sim-boot", "-q"}, {"boot connect"}},
        {{"configure", ctl, "-v", "--sim-fault", "silent:DownPass"},
         {"step: QueryWriterLevel (ask the writer for its level)", "step: ConnectWriter",
          "step: DownIC", "step: DownEE", "step: DownIC", "step: DownSN", "step: DownPass",
          "Message: ERROR: Read fail!"}},
        {{"upgrade", hex, "-v"},
         {"step: EnterLdrom (restart the writer into its boot loader)",
          "警告: 固件更新，不要断开usb连接！",
          "step: QueryBootLoader (ask whether the boot loader runs)",
          "step: EraseApromPage (erase the 136 APROM pages)",
          "step: ProgramApromPage (program and verify the 136 APROM pages)",
          "step: SystemReset (restart the writer into its application)", "系统复位完成!"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"--simulate", "--sim-clock", "virtual"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun run = RunCli(args);
        if (c.args.back() == "-q") {
            EXPECT_EQ(run.Lines(), c.lines) << run.out;
            continue;
        }
        std::vector<std::string> seen;
        for (const std::string& line : run.Lines()) {
            if (std::find(c.lines.begin(), c.lines.end(), line) != c.lines.end()) {
                seen.push_back(line);
            }
        }
        EXPECT_EQ(seen, c.lines) << run.out;
    }
}

TEST_F(CliWriterTest, AModeThatNeverReachesTheWriterIsSaid) {
    const std::string ctl = PackedControlFile();
    const CliRun run = RunCli({"--simulate", "--sim-clock", "virtual", "--sim-level", "0x02FFFFFF",
                               "configure", ctl, "--mode", "five"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("--mode five was not sent"), std::string::npos) << run.err;
    // Asked and answered: nothing to say.
    EXPECT_EQ(
        RunCli({"--simulate", "--sim-clock", "virtual", "configure", ctl, "--mode", "five"}).err,
        "");
}

TEST_F(CliWriterTest, AWriteThatFailsFailsTheRun) {
    const std::string ctl = PackedControlFile();
    const CliRun out = RunCliTo({"inspect", "--json", ctl}, "/dev/full");
    EXPECT_EQ(out.status, 2);
    EXPECT_NE(out.err.find("cannot write the standard output: No space left on device"),
              std::string::npos)
        << out.err;
    const CliRun trace = RunCli(
        {"--simulate", "--sim-clock", "virtual", "status", "--sim-boot", "--trace", "/dev/full"});
    // A device is no trace file: refused before the run starts.
    EXPECT_EQ(trace.status, 2);
    EXPECT_NE(
        trace.err.find("cannot create the trace file '/dev/full': not a regular file (a device)"),
        std::string::npos)
        << trace.err;
    // Every "cannot ..." names the system's reason.
    dir.Write(L"d.json", std::string(kWriterDescription));
    const std::vector<std::vector<std::string>> unusable = {
        {"--simulate", "--trace", Path(L"no/such/folder/t.txt"), "status"},
        {"inspect", Path(L"missing.ctl")},
        {"--simulate", "configure", Path(L"missing.ctl")},
        {"pack", Path(L"d.json"), "-o", Path(L"no/such/folder/x.ctl")},
    };
    for (const auto& args : unusable) {
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_NE(run.err.find("': No such file or directory"), std::string::npos) << run.err;
    }
}

// Waits (at most 5 s) until the trace file holds `text`; returns the trace.
std::string AwaitTrace(const std::wstring& file, const std::string& text) {
    std::string trace;
    for (int i = 0; i < 5000 && trace.find(text) == std::string::npos; ++i) {
        usleep(1000);
        const std::vector<uint8_t> bytes = ReadWholeFile(file);
        trace.assign(bytes.begin(), bytes.end());
    }
    return trace;
}

TEST_F(CliWriterTest, AnInterruptionStopsAtTheNextTransactionBoundary) {
    std::vector<uint8_t> image(4096, 0x5A);
    dir.Write(L"fw.txt", vantrel::BuildIntelHex(image));
    ASSERT_EQ(RunCli({"seal", Path(L"fw.txt"), "-o", Path(L"fw.hex")}).status, 0);
    const std::string finishing =
        "vantrel-cli: interrupted: finishing the transfer in progress first (interrupt again to "
        "stop at once)\n";
    struct Case {
        const char* what;
        std::vector<std::string> fault;
        const char* awaited;  // the trace text after which the signals are sent
        std::vector<int> signals;
        std::string err;  // empty: only checked for the boundary
    };
    const std::vector<Case> cases = {
        // The third page's checksum is never answered: the first signal waits for that
        // transaction, the second stops at once.
        {"a second signal stops at once",
         {"--sim-fault", "silent:ReadApromChecksum#3"},
         "OUT boot 05040100010002000004",
         {SIGINT, SIGINT},
         finishing + "vantrel-cli: interrupted: the writer is left in its boot loader with its "
                     "firmware programmed up to page 3 of 136: run upgrade again\n"},
        {"SIGTERM during programming", {}, "OUT boot 050301000100020000020000", {SIGTERM}, ""},
        {"SIGHUP during programming", {}, "OUT boot 050301000100020000040000", {SIGHUP}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> args = {"--simulate", "--sim-boot"};
        args.insert(args.end(), c.fault.begin(), c.fault.end());
        for (const std::string& arg : {std::string("--trace"), Path(L"trace.txt"),
                                       std::string("upgrade"), Path(L"fw.hex")}) {
            args.push_back(arg);
        }
        std::remove(Path(L"trace.txt").c_str());
        RunningCli running(args);
        AwaitTrace(dir.File(L"trace.txt"), c.awaited);
        for (int signal : c.signals) {
            running.Signal(signal);
            usleep(50000);
        }
        const CliRun run = running.Wait();
        EXPECT_EQ(run.status, 130);
        if (!c.err.empty()) {
            EXPECT_EQ(run.err, c.err);
        }
        EXPECT_EQ(run.err.rfind(finishing, 0), 0u) << run.err;
        // The trace ends on a whole transaction: no program command short of its 8
        // data reports.
        const std::vector<uint8_t> bytes = ReadWholeFile(dir.File(L"trace.txt"));
        const std::string trace(bytes.begin(), bytes.end());
        ASSERT_FALSE(trace.empty());
        EXPECT_EQ(trace.back(), '\n');
        const size_t program = trace.rfind("OUT boot 0503");
        ASSERT_NE(program, std::string::npos);
        const std::string after = trace.substr(program);
        EXPECT_GE(std::count(after.begin(), after.end(), '\n'), 9) << after;
    }
}

TEST_F(CliWriterTest, HelpAndVersion) {
    const CliRun version = RunCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "vantrel-cli 1.1.0.0\n");
    const CliRun help = RunCli({"status", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: vantrel-cli [OPTIONS] status\n", 0), 0u) << help.out;
    EXPECT_EQ(help.out, RunCli({"help", "status"}).out);
    EXPECT_NE(RunCli({"help"}).out.find("inspect FILE"), std::string::npos);
}

}  // namespace
