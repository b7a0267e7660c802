// The station: every writer gets the job at once, a writer's fault stays its own,
// --watch serves the writers plugged in later, a refused file touches no writer, and
// the log has one valid line per finished job, also when the station is stopped.

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/Sha256.h"
#include "tests/cli/RunCli.h"
#include "tests/support/TempDir.h"
#include "upgrade/IntelHexWriter.h"

using namespace vantrel::test;
using nlohmann::json;

namespace {

const char kDescription[] = R"({
  "name": "STATION-IC", "key": "0123456789ABCDEF", "ic_type": "1", "family_number": 1,
  "program_words": [1, 2, 3, 4], "leve": 1
})";

class CliStationTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.Write(L"ic.json", std::string(kDescription));
        ASSERT_EQ(RunCli({"pack", Path(L"ic.json"), "-o", Path(L"ic.ctl")}).status, 0);
        std::vector<uint8_t> image(4096);
        std::mt19937 random(5);
        for (uint8_t& b : image) b = static_cast<uint8_t>(random());
        dir.Write(L"fw.txt", vantrel::BuildIntelHex(image));
        ASSERT_EQ(RunCli({"seal", Path(L"fw.txt"), "-o", Path(L"fw.hex")}).status, 0);
    }
    std::string Path(const wchar_t* name) { return Arg(dir.File(name)); }
    std::vector<std::string> Args(std::vector<std::string> args) {
        args.insert(args.begin(),
                    {"--simulate", "--sim-clock", "virtual", "--all", "--log", Path(L"log.jsonl")});
        if (args[args.size() - 2] == "configure") args.insert(args.begin(), {"--mode", "five"});
        return args;
    }
    // The log's lines by location; every line must be one whole JSON object.
    std::map<std::string, std::vector<json>> Log() {
        const std::vector<uint8_t> bytes = ReadWholeFile(dir.File(L"log.jsonl"));
        std::istringstream lines(std::string(bytes.begin(), bytes.end()));
        std::map<std::string, std::vector<json>> byLocation;
        for (std::string line; std::getline(lines, line);) {
            const json entry = json::parse(line);
            byLocation[entry["location"].get<std::string>()].push_back(entry);
        }
        return byLocation;
    }
    TempDir dir;
};

struct StationCase {
    const char* what;
    std::vector<std::string> args;
    int exit;
    // Per location in the log: whether its job succeeded.
    std::map<std::string, bool> ok;
};

TEST_F(CliStationTest, EachWriterGetsTheJobAndAFaultStaysWithItsWriter) {
    const std::vector<StationCase> cases = {
        {"four configured, one refuses a step",
         {"--sim-writers", "4", "--sim-fault", "sim-3:refuse:DownIC", "configure", "ic.ctl"},
         1,
         {{"sim-1", true}, {"sim-2", true}, {"sim-3", false}, {"sim-4", true}}},
        {"three upgraded, one with a wrong checksum",
         {"--sim-writers", "3", "--sim-fault", "sim-2:badsum:9", "upgrade", "fw.hex"},
         1,
         {{"sim-1", true}, {"sim-2", false}, {"sim-3", true}}},
        {"watch: two plugged in later, the count ends it after the second",
         {"--sim-writers", "3", "--sim-arrive-after", "sim-2:700", "--sim-arrive-after",
          "sim-3:1500", "--watch", "--count", "2", "configure", "ic.ctl"},
         0,
         {{"sim-1", true}, {"sim-2", true}}},
        {"watch: every arrival until idle",
         {"--sim-writers", "3", "--sim-arrive-after", "sim-2:700", "--sim-arrive-after",
          "sim-3:1500", "--watch", "--idle", "2", "upgrade", "fw.hex"},
         0,
         {{"sim-1", true}, {"sim-2", true}, {"sim-3", true}}},
        {"no writer",
         {"--sim-writers", "2", "--sim-arrive-after", "60000", "configure", "ic.ctl"},
         3,
         {}},
    };
    for (const StationCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::remove(Path(L"log.jsonl").c_str());
        std::vector<std::string> args = c.args;
        args.back() = Path(std::wstring(args.back().begin(), args.back().end()).c_str());
        const CliRun run = RunCli(Args(args));
        EXPECT_EQ(run.status, c.exit) << run.out << run.err;
        const auto log = Log();
        EXPECT_EQ(log.size(), c.ok.size());
        const bool configure = args[args.size() - 2] == "configure";
        const std::vector<uint8_t> file =
            ReadWholeFile(dir.File(configure ? L"ic.ctl" : L"fw.hex"));
        for (const auto& [location, ok] : c.ok) {
            ASSERT_EQ(log.count(location), 1u) << location;
            const json& line = log.at(location).front();
            EXPECT_EQ(line["ok"], ok) << location << run.out;
            EXPECT_EQ(line["exit"], ok ? 0 : 1) << location;
            EXPECT_EQ(line["sha256"], vantrel::Sha256Hex(file));
            EXPECT_EQ(line["command"], configure ? "configure" : "upgrade");
            EXPECT_EQ(line["time"].get<std::string>().size(), 20u);
            if (configure && ok) {
                EXPECT_EQ(line["ic_name"], "STATION-IC");
                EXPECT_FALSE(line["checksum_moe"].is_null());
            }
            // Every writer without the fault shows the whole job's texts.
            const std::string texts = line["texts"].dump();
            if (ok) {
                EXPECT_NE(texts.find(configure ? "烧录器配置成功！" : "系统复位完成!"),
                          std::string::npos)
                    << location << texts;
            }
        }
        if (!c.ok.empty()) {
            EXPECT_NE(run.out.find("jobs: "), std::string::npos) << run.out;
        }
    }
}

TEST_F(CliStationTest, JsonPrintsTheLogsLinesAlone) {
    const CliRun run =
        RunCli(Args({"--sim-writers", "3", "--json", "-q", "upgrade", Path(L"fw.hex")}));
    EXPECT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> lines = run.Lines();
    ASSERT_EQ(lines.size(), 3u) << run.out;
    size_t logged = 0;
    for (const auto& entries : Log()) logged += entries.second.size();
    EXPECT_EQ(logged, 3u);
    for (const std::string& line : lines) {
        const json entry = json::parse(line);
        EXPECT_TRUE(entry.contains("time") && entry.contains("sha256")) << line;
    }
}

TEST_F(CliStationTest, ARefusedFileTouchesNoWriter) {
    dir.Write(L"bad.ctl", std::string(100, 'x'));
    dir.Write(L"bad.hex", std::string("not a firmware file"));
    for (const wchar_t* file : {L"bad.ctl", L"bad.hex"}) {
        const std::wstring name(file);
        const CliRun run = RunCli(
            Args({"--sim-writers", "3", name == L"bad.ctl" ? "configure" : "upgrade", Path(file)}));
        EXPECT_EQ(run.status, 4) << run.err;
        EXPECT_NE(run.err.find("no writer was touched"), std::string::npos) << run.err;
        EXPECT_EQ(run.out.find("connect"), std::string::npos) << run.out;
        EXPECT_TRUE(Log().empty());
    }
}

TEST_F(CliStationTest, AStoppedStationLeavesALineForEachFinishedJob) {
    // Two writers finish at once (virtual time); the third is plugged in far later,
    // so the station waits for it until it is interrupted, and then ends as its jobs
    // did.
    RunningCli cli(Args({"--sim-writers", "3", "--sim-arrive-after", "sim-3:100000000", "--watch",
                         "-q", "configure", Path(L"ic.ctl")}));
    for (int i = 0; i < 2000 && cli.OutputSoFar().find("sim-1: ") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (int i = 0; i < 2000 && cli.OutputSoFar().find("sim-2: ") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    cli.Signal(SIGINT);
    const CliRun run = cli.Wait();
    EXPECT_EQ(run.status, 0) << run.err;
    const auto log = Log();
    EXPECT_EQ(log.size(), 2u);
    EXPECT_EQ(log.count("sim-3"), 0u);
}

TEST_F(CliStationTest, ASecondInterruptionSaysWhereEachRunningWriterIsLeft) {
    // On the real clock a configuration takes seconds: both jobs are under way.
    RunningCli cli({"--simulate", "--sim-writers", "2", "--mode", "five", "--all", "--log",
                    Path(L"log.jsonl"), "configure", Path(L"ic.ctl")});
    for (int i = 0; i < 2000 && cli.OutputSoFar().find("sim-2: IC:") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    cli.Signal(SIGINT);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    cli.Signal(SIGINT);
    const CliRun run = cli.Wait();
    EXPECT_EQ(run.status, 130) << run.err;
    for (const char* location : {"sim-1", "sim-2"}) {
        EXPECT_NE(run.err.find(std::string("interrupted: ") + location +
                               ": the writer is left with its configuration sent only up to"),
                  std::string::npos)
            << run.err;
    }
    EXPECT_TRUE(Log().empty());
}

}  // namespace
