// --json: whatever ends the run, standard output holds exactly one object with
// "ok", "exit", "command" (where known) and "texts".

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "cli/ResultOutput.h"
#include "common/Json.h"
#include "tests/cli/RunCli.h"
#include "tests/support/TempDir.h"
#include "upgrade/IntelHexWriter.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

// Checks the one object of `run`; returns it (null when there is none).
Json OneObject(const CliRun& run, int exit, const char* command, const std::string& text) {
    EXPECT_EQ(run.status, exit) << run.err;
    // One document: a second object after the first fails to parse.
    EXPECT_TRUE(!run.out.empty() && run.out.back() == '\n') << run.out;
    Json j;
    std::string error;
    EXPECT_TRUE(ParseJson(run.out, j, error)) << error << ": " << run.out;
    if (!j.is_object()) return Json();
    EXPECT_EQ(j.value("ok", true), exit == 0) << run.out;
    EXPECT_EQ(j.value("exit", -1), exit) << run.out;
    EXPECT_EQ(j["command"], command ? Json(command) : Json()) << run.out;
    EXPECT_TRUE(j["texts"].is_array()) << run.out;
    bool said = text.empty();
    for (const Json& t : j["texts"]) {
        said = said || t.value("text", std::string()).find(text) != std::string::npos;
    }
    EXPECT_TRUE(said) << "no text with '" << text << "': " << run.out;
    return j;
}

class CliJsonTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string Path(const wchar_t* name) { return Arg(dir.File(name)); }
};

TEST_F(CliJsonTest, EveryOutcomePrintsOneObject) {
    dir.Write(L"plain.txt", std::string("not a control file"));
    dir.Write(L"bad.ctl", std::string(100, 'x'));
    dir.MakeDir(L"folder");
    const std::string virt[] = {"--json", "--simulate", "--sim-clock", "virtual"};
    auto line = [&](std::vector<std::string> rest) {
        std::vector<std::string> args(std::begin(virt), std::end(virt));
        args.insert(args.end(), rest.begin(), rest.end());
        return args;
    };
    const struct {
        std::vector<std::string> args;
        int exit;
        const char* command;
        std::string text;
    } cases[] = {
        {{"--json", "--bogus", "status"}, 2, "status", "unknown option '--bogus'"},
        {{"configure", "--json"}, 2, "configure", "configure needs a file argument"},
        {{"--json", "frobnicate"}, 2, nullptr, "unknown command"},
        {{"--json", "pack", "d.json", "-o", "x.ctl"}, 2, "pack", "--json applies to"},
        {line({"--sim-fault", "zz", "status"}), 2, "status", "fault 'zz'"},
        {line({"--sim-aprom-in", Path(L"missing"), "status"}), 2, "status", "cannot read"},
        {line({"configure", Path(L"missing.ctl")}), 2, "configure", "No such file"},
        {line({"upgrade", Path(L"folder")}), 2, "upgrade", "not a regular file"},
        {{"--json", "inspect", Path(L"folder")}, 2, "inspect", "not a regular file"},
        {line({"--trace", Path(L"no/such/t.txt"), "status"}), 2, "status", "trace file"},
        {{"--json", "inspect", Path(L"bad.ctl")}, 4, "inspect", ""},
        {line({"configure", Path(L"bad.ctl")}), 4, "configure", ""},
        {line({"--sim-boot", "configure", Path(L"plain.txt")}), 3, "configure", "USB未连接"},
        {line({"--sim-writers", "2", "status"}), 3, "status", "several writers"},
        {line({"status"}), 0, "status", "writer connect"},
        {line({"list"}), 0, "list", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        OneObject(RunCli(c.args), c.exit, c.command, c.text);
    }
    // --json as the value of an option asks for nothing.
    const CliRun value = RunCli({"--trace", "--json", "bogus"});
    EXPECT_EQ(value.status, 2);
    EXPECT_EQ(value.out, "");
}

TEST_F(CliJsonTest, AnInterruptedRunPrintsTheInterruptionsObjectAlone) {
    std::vector<uint8_t> image(4096, 0x5A);
    dir.Write(L"fw.txt", BuildIntelHex(image));
    ASSERT_EQ(RunCli({"seal", Path(L"fw.txt"), "-o", Path(L"fw.hex")}).status, 0);
    // In real time the third page's checksum is never answered: the run waits
    // there until it is interrupted.
    RunningCli running({"--json", "--simulate", "--sim-boot", "--sim-fault",
                        "silent:ReadApromChecksum#3", "--trace", Path(L"trace.txt"), "upgrade",
                        Path(L"fw.hex")});
    const std::string thirdChecksum = "OUT boot 05040100010002000004";
    std::string trace;
    for (int i = 0; i < 5000 && trace.find(thirdChecksum) == std::string::npos; ++i) {
        usleep(1000);
        const std::vector<uint8_t> bytes = ReadWholeFile(dir.File(L"trace.txt"));
        trace.assign(bytes.begin(), bytes.end());
    }
    running.Signal(SIGINT);
    const std::string left =
        "the writer is left in its boot loader with its firmware programmed up to page 3 of "
        "136: run upgrade again";
    const Json j = OneObject(running.Wait(), 130, "upgrade", left);
    EXPECT_EQ(j.value("interrupted", false), true);
    EXPECT_EQ(j.value("writer_left", std::string()), left);
}

TEST(ResultOutput, TheFirstOfTheFinalObjectAndTheInterruptionWins) {
    // 'F': PrintFinalJson, 'I': TakeOverForInterruption; the answers expected.
    // (The final object is empty here, so nothing reaches the test's output.)
    const struct {
        const char* calls;
        const char* answers;
    } cases[] = {{"FIF", "TFF"}, {"IFI", "TFF"}, {"FF", "TF"}};
    for (const auto& c : cases) {
        cli::ResetResultOutput();
        cli::SetJsonRun(true, "status");
        std::string answers;
        for (const char* call = c.calls; *call != 0; ++call) {
            const bool yes =
                *call == 'F' ? cli::PrintFinalJson("") : cli::TakeOverForInterruption();
            answers += yes ? 'T' : 'F';
        }
        EXPECT_EQ(answers, c.answers) << c.calls;
    }
    cli::ResetResultOutput();
}

}  // namespace
