// Several writers on the simulated bus: list, the refusal to guess, --device
// following one writer through an upgrade, --wait and the JSON results.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "tests/cli/RunCli.h"
#include "tests/cli/TraceDecoder.h"
#include "tests/support/TempDir.h"
#include "upgrade/IntelHexWriter.h"

using namespace vantrel::test;

namespace {

const std::vector<std::string> kSim = {"--simulate", "--sim-clock", "virtual"};

CliRun SimRun(std::vector<std::string> args) {
    args.insert(args.begin(), kSim.begin(), kSim.end());
    return RunCli(args);
}

}  // namespace

TEST(CliSeveralWriters, ListShowsEachWriterWithItsModeAndLocation) {
    // Three boot loaders; the second never answers its query.
    const CliRun text =
        SimRun({"--sim-writers", "3", "--sim-boot", "--sim-fault", "sim-2:noboot", "list"});
    ASSERT_EQ(text.status, 0) << text.err;
    const std::vector<std::string> lines = text.Lines();
    ASSERT_EQ(lines.size(), 3u) << text.out;
    EXPECT_EQ(lines[0].rfind("boot-loader  \\\\?\\hid#vid_0416&pid_5020#", 0), 0u) << lines[0];
    EXPECT_EQ(lines[0].substr(lines[0].size() - 7), "  sim-1");
    EXPECT_EQ(lines[1].rfind("no-answer  ", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2].substr(lines[2].size() - 5), "sim-3");

    const CliRun json = SimRun({"--sim-writers", "2", "list", "--json"});
    ASSERT_EQ(json.status, 0);
    const nlohmann::json j = nlohmann::json::parse(json.out);
    EXPECT_EQ(j["ok"], true);
    ASSERT_EQ(j["writers"].size(), 2u);
    EXPECT_EQ(j["writers"][1]["mode"], "application");
    EXPECT_EQ(j["writers"][1]["location"], "sim-2");
}

TEST(CliSeveralWriters, WithoutDeviceSeveralWritersAreRefusedWithTheList) {
    const CliRun run = SimRun({"--sim-writers", "2", "status"});
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("choose one with --device"), std::string::npos) << run.err;
    EXPECT_EQ(run.Lines().size(), 2u);
    EXPECT_FALSE(run.Printed("writer connect"));

    const CliRun json = SimRun({"--sim-writers", "2", "--json", "status"});
    EXPECT_EQ(json.status, 3);
    const nlohmann::json j = nlohmann::json::parse(json.out);
    EXPECT_EQ(j["exit"], 3);
    EXPECT_EQ(j["writers"].size(), 2u);
    const CliRun one = SimRun({"--sim-writers", "2", "--device", "sim-9", "status"});
    EXPECT_NE(one.status, 0);  // a location where no writer is
    EXPECT_TRUE(one.Printed("writer unconnect"));
}

TEST(CliSeveralWriters, DeviceFollowsOneWriterThroughAnUpgradeAndLeavesTheOthersAlone) {
    TempDir dir;
    std::vector<uint8_t> image(4096);
    std::mt19937 random(3);
    for (uint8_t& b : image) b = static_cast<uint8_t>(random());
    dir.Write(L"fw.txt", vantrel::BuildIntelHex(image));
    ASSERT_EQ(RunCli({"seal", Arg(dir.File(L"fw.txt")), "-o", Arg(dir.File(L"fw.hex"))}).status, 0);

    // Commands that reached the other writers would fail the run.
    const CliRun run =
        SimRun({"--sim-writers", "3", "--device", "sim-2", "--json", "--sim-fault",
                "sim-1:refuse:EnterLdrom", "--sim-fault", "sim-3:refuse:EnterLdrom",
                "--sim-aprom-out", "sim-1:" + Arg(dir.File(L"1.bin")), "--sim-aprom-out",
                Arg(dir.File(L"2.bin")), "--sim-aprom-out", "sim-3:" + Arg(dir.File(L"3.bin")),
                "--trace", Arg(dir.File(L"trace.txt")), "upgrade", Arg(dir.File(L"fw.hex"))});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    const nlohmann::json j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j["ok"], true);
    EXPECT_EQ(j["exit"], 0);
    EXPECT_EQ(j["device"]["location"], "sim-2");
    EXPECT_EQ(j["connection"], "writer connect");
    EXPECT_EQ(j["texts"].front()["where"], "connection");
    EXPECT_EQ(j["texts"].back()["text"], "writer connect");

    std::vector<uint8_t> programmed(69632, 0);
    std::copy(image.begin(), image.end(), programmed.begin());
    EXPECT_TRUE(ReadWholeFile(dir.File(L"2.bin")) == programmed);
    EXPECT_TRUE(ReadWholeFile(dir.File(L"1.bin")) == std::vector<uint8_t>(69632, 0xFF));
    EXPECT_TRUE(ReadWholeFile(dir.File(L"3.bin")) == std::vector<uint8_t>(69632, 0xFF));
    std::vector<TracedCommand> commands;
    std::string error;
    const std::vector<uint8_t> trace = ReadWholeFile(dir.File(L"trace.txt"));
    ASSERT_TRUE(DecodeTrace(std::string(trace.begin(), trace.end()), commands, error)) << error;
    EXPECT_EQ(commands.size(), 1u + 1u + 136u + 136u * 2u + 1u);
}

TEST(CliSeveralWriters, WaitRunsOnceTheWriterArrivesAndGivesUpWithExitThree) {
    const CliRun arrives = SimRun({"--sim-writers", "2", "--sim-arrive-after", "sim-2:4000",
                                   "--device", "sim-2", "--wait", "status"});
    EXPECT_EQ(arrives.status, 0) << arrives.err;
    EXPECT_EQ(arrives.out, "writer connect\n");

    const CliRun never = SimRun({"--sim-arrive-after", "60000", "--wait=5", "--json", "status"});
    EXPECT_EQ(never.status, 3);
    const nlohmann::json j = nlohmann::json::parse(never.out);
    EXPECT_EQ(j["exit"], 3);
    EXPECT_EQ(j["texts"][0]["text"], "no writer was attached within 5 s");
    EXPECT_GE(j["seconds"].get<double>(), 5.0);
}
