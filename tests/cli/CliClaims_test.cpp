// One writer, one job, as a second process meets it: a writer claimed elsewhere gets
// not a single report from a run, which says who holds it; --wait waits for it; a
// claim left by a run that vanished makes the next run ask the writer first.
// VANTREL_SIM_CLAIM_FOLDER gives the simulated writers lock files, so this test
// process can hold a claim as another run would.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <string>
#include <vector>

#include "common/Text.h"
#include "link/WriterClaims.h"
#include "tests/cli/RunCli.h"
#include "tests/support/TempDir.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

const char kDescription[] = R"({
  "name": "CLAIM-IC", "key": "0123456789ABCDEF", "ic_type": "1", "family_number": 1,
  "program_words": [1, 2, 3, 4], "leve": 1
})";

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

class CliClaimsTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("VANTREL_SIM_CLAIM_FOLDER", ToUtf8(claimDir.Path()).c_str(), 1);
        files.Write(L"ic.json", std::string(kDescription));
        ASSERT_EQ(RunCli({"pack", Path(L"ic.json"), "-o", Path(L"ic.ctl")}).status, 0);
    }
    void TearDown() override { unsetenv("VANTREL_SIM_CLAIM_FOLDER"); }
    std::string Path(const wchar_t* name) { return Arg(files.File(name)); }
    std::string Trace() {
        const std::vector<uint8_t> bytes = ReadWholeFile(files.File(L"trace.txt"));
        return std::string(bytes.begin(), bytes.end());
    }

    TempDir claimDir;
    TempDir files;
};

TEST_F(CliClaimsTest, AClaimedWriterGetsNoReport) {
    auto backend = MakeSystemClaimBackend(ToUtf8(claimDir.Path()));
    const std::string holder = "vantrel-cli (pid 4242), upgrade since 10:42:07";
    ClaimAttempt held = backend->TryTake(L"at sim-1", &holder);
    ASSERT_TRUE(held.token);
    const std::string busy =
        "the writer at sim-1 is busy: vantrel-cli (pid 4242), upgrade since 10:42:07";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string printed;  // on standard error, or standard output for list
    };
    const std::vector<Case> cases = {
        {{"status"}, 3, busy},
        {{"configure", Path(L"ic.ctl")}, 3, busy},
        {{"--sim-boot", "upgrade", Path(L"ic.ctl")}, 3, busy},
        {{"--wait=1", "configure", Path(L"ic.ctl")}, 3, busy + "; waiting"},
        {{"--sim-boot", "list"}, 0, "busy  "},
        {{"--json", "list"}, 0, "\"mode\":\"busy\""},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--simulate", "--sim-clock", "virtual", "--trace",
                                         Path(L"trace.txt")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        SCOPED_TRACE(args.back());
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE((run.err + run.out).find(c.printed), std::string::npos) << run.err << run.out;
        EXPECT_EQ(Trace(), "") << "not a single report";
    }
    held.token.reset();
    const CliRun free =
        RunCli({"--simulate", "--sim-clock", "virtual", "configure", Path(L"ic.ctl")});
    EXPECT_EQ(free.status, 0) << free.err;
}

TEST_F(CliClaimsTest, AVanishedHolderMakesTheNextRunAskFirst) {
    // The record of a run that was killed while it held the writer.
    std::ofstream(ToUtf8(claimDir.Path()) + "/vantrel-writer-at%20sim-1.lock")
        << "vantrel-cli (pid 1), configure since 10:00:00\n";
    const CliRun run = RunCli({"--simulate", "--sim-clock", "virtual", "--trace",
                               Path(L"trace.txt"), "configure", Path(L"ic.ctl")});
    EXPECT_EQ(run.status, 0) << run.err;
    // The question (QueryWriterLevel) and its answer come before the configuration,
    // which asks the level itself too.
    EXPECT_EQ(Count(Trace(), "OUT app 02010b000500"), 2u) << Trace();
    const CliRun next = RunCli({"--simulate", "--sim-clock", "virtual", "--trace",
                                Path(L"trace.txt"), "configure", Path(L"ic.ctl")});
    EXPECT_EQ(next.status, 0);
    EXPECT_EQ(Count(Trace(), "OUT app 02010b000500"), 1u)
        << "a run that let go leaves nothing to ask";
}

}  // namespace
