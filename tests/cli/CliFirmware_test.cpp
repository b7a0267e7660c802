// vantrel-cli and firmware files: upgrade refuses an unsound file before the
// writer is touched (exit 4) unless forced, and fails when the writer does not come
// back; inspect gives the upgrade's verdict; seal refuses what upgrade refuses and
// writes safely; every file argument is read once, regular files only.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/cli/RunCli.h"
#include "tests/support/TempDir.h"
#include "upgrade/FirmwareSealer.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

const char kGood[] = ":0400000001020304F2\r\n:00000001FF\r\n";
const char kBadSum[] = ":0400000001020304F2\r\n:0100100022CE\r\n:00000001FF\r\n";

class CliFirmwareTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string Path(const wchar_t* name) { return Arg(dir.File(name)); }
    std::string Sealed(const wchar_t* name, const std::string& text) {
        return Arg(dir.Write(name, SealFirmware(text)));
    }
    CliRun Upgrade(const std::string& file, std::vector<std::string> more = {}) {
        std::vector<std::string> args = {
            "--simulate",       "--sim-clock", "virtual", "--sim-aprom-out",
            Path(L"aprom.bin"), "upgrade",     file};
        args.insert(args.end(), more.begin(), more.end());
        return RunCli(args);
    }
    bool ApromErased() {
        return ReadWholeFile(dir.File(L"aprom.bin")) == std::vector<uint8_t>(69632, 0xFF);
    }
};

TEST_F(CliFirmwareTest, UpgradeRefusesAnUnsoundFileWithFourUnlessForced) {
    const std::string file = Sealed(L"bad.hex", kBadSum);
    const CliRun refused = Upgrade(file, {"--trace", Path(L"trace.txt")});
    EXPECT_EQ(refused.status, 4) << refused.out << refused.err;
    EXPECT_TRUE(refused.Printed("固件文件无效!")) << refused.out;
    EXPECT_NE(refused.out.find("固件文件无效：第2行记录校验和错误！"), std::string::npos)
        << refused.out;
    EXPECT_TRUE(ApromErased());
    EXPECT_TRUE(ReadWholeFile(dir.File(L"trace.txt")).empty());

    const CliRun forced = Upgrade(file, {"--force"});
    EXPECT_EQ(forced.status, 0) << forced.out << forced.err;
    const std::vector<uint8_t> aprom = ReadWholeFile(dir.File(L"aprom.bin"));
    ASSERT_EQ(aprom.size(), 69632u);
    EXPECT_EQ(aprom[3], 0x04);
    EXPECT_EQ(aprom[0x10], 0x22);
}

TEST_F(CliFirmwareTest, UpgradeWarnsAboutDataOutsideTheImage) {
    const CliRun run =
        Upgrade(Sealed(L"fw.hex", ":020000040001F9\r\n:040FFE0001020304E5\r\n:00000001FF\r\n"));
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.err.find("warning: line 2: 2 data bytes fall outside the 69,632-byte image and "
                           "are dropped"),
              std::string::npos)
        << run.err;
}

TEST_F(CliFirmwareTest, UpgradeFailsWhenTheWriterDoesNotComeBack) {
    const CliRun run = Upgrade(Sealed(L"fw.hex", kGood), {"--sim-fault", "refuse:SystemReset"});
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_TRUE(run.Printed("系统复位完成!")) << run.out;
    EXPECT_NE(run.err.find("did not come back as its application within 5 s"), std::string::npos)
        << run.err;
}

TEST_F(CliFirmwareTest, InspectGivesTheUpgradesVerdictWithEveryProblem) {
    const CliRun good = RunCli({"inspect", Sealed(L"good.hex", kGood)});
    EXPECT_EQ(good.status, 0) << good.out;
    EXPECT_TRUE(good.Printed("verdict: sound; the upgrade accepts this file")) << good.out;

    const CliRun bad = RunCli({"inspect", Sealed(L"bad.hex", std::string(kBadSum, 36) + ":1\r\n")});
    EXPECT_EQ(bad.status, 4) << bad.out;
    const std::vector<std::string> expected = {
        "problem: line 2: the record checksum does not match",
        "problem: line 3: the byte count does not match the length of the line",
        "problem: no end-of-file record (type 01): the file is cut short",
        "verdict: the upgrade refuses this file: 固件文件无效：第2行记录校验和错误！"};
    const std::vector<std::string> lines = bad.Lines();
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()), expected) << bad.out;

    // Plain text is described as it stands, and refused as the upgrade would.
    dir.Write(L"plain.hex", std::string(kGood));
    const CliRun plain = RunCli({"inspect", Path(L"plain.hex")});
    EXPECT_EQ(plain.status, 4);
    EXPECT_TRUE(
        plain.Printed("problem: not enciphered: the upgrade would decipher this plain "
                      "text into noise"))
        << plain.out;
}

TEST_F(CliFirmwareTest, SealRefusesWhatTheUpgradeRefusesAndWritesSafely) {
    dir.Write(L"bad.txt", std::string(kBadSum));
    const CliRun refused = RunCli({"seal", Path(L"bad.txt"), "-o", Path(L"bad.hex")});
    EXPECT_EQ(refused.status, 4);
    EXPECT_NE(refused.err.find("line 2: the record checksum does not match"), std::string::npos)
        << refused.err;
    EXPECT_FALSE(FileExists(dir.File(L"bad.hex")));
    EXPECT_EQ(RunCli({"seal", "--force", Path(L"bad.txt"), "-o", Path(L"bad.hex")}).status, 0);
    EXPECT_EQ(ReadWholeFile(dir.File(L"bad.hex")), SealFirmware(kBadSum));

    // An end record without a line end is sound once sealed.
    dir.Write(L"good.txt", std::string(kGood, sizeof kGood - 3));
    // A link at the output is replaced, not followed; nothing else is left behind.
    const std::wstring target = dir.Write(L"target.bin", std::string("keep"));
    ASSERT_EQ(symlink(Arg(target).c_str(), Path(L"good.hex").c_str()), 0);
    const CliRun sealed = RunCli({"seal", Path(L"good.txt"), "-o", Path(L"good.hex")});
    EXPECT_EQ(sealed.status, 0) << sealed.err;
    EXPECT_EQ(ReadWholeFile(target), std::vector<uint8_t>({'k', 'e', 'e', 'p'}));
    EXPECT_EQ(RunCli({"upgrade", "--simulate", "--sim-clock", "virtual", Path(L"good.hex")}).status,
              0);
    EXPECT_EQ(dir.Entries(), (std::vector<std::wstring>{L"bad.hex", L"bad.txt", L"good.hex",
                                                        L"good.txt", L"target.bin"}));

    // The output may not be the input, under its own name or another.
    ASSERT_EQ(link(Path(L"good.txt").c_str(), Path(L"same.txt").c_str()), 0);
    EXPECT_EQ(RunCli({"seal", Path(L"good.txt"), "-o", Path(L"good.txt")}).status, 2);
    EXPECT_EQ(RunCli({"seal", Path(L"good.txt"), "-o", Path(L"same.txt")}).status, 2);
    EXPECT_EQ(RunCli({"pack", Path(L"good.txt"), "-o", Path(L"good.txt")}).status, 2);
    EXPECT_EQ(ReadWholeFile(dir.File(L"good.txt")).size(), sizeof kGood - 3);

    // A FIFO or a folder at the output name is refused, never renamed over.
    ASSERT_EQ(mkfifo(Path(L"out.fifo").c_str(), 0600), 0);
    ASSERT_EQ(mkdir(Path(L"out.dir").c_str(), 0700), 0);
    for (const wchar_t* output : {L"out.fifo", L"out.dir"}) {
        const CliRun run = RunCli({"seal", Path(L"good.txt"), "-o", Path(output)});
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_NE(run.err.find("not a regular file"), std::string::npos) << run.err;
    }
    struct stat info = {};
    ASSERT_EQ(lstat(Path(L"out.fifo").c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST_F(CliFirmwareTest, FileArgumentsAreReadOnceAndOnlyWhenRegular) {
    ASSERT_EQ(mkfifo(Path(L"fifo.hex").c_str(), 0600), 0);
    for (const std::string& path : {Path(L"fifo.hex"), std::string("/dev/zero"), Path(L"")}) {
        for (const char* command : {"inspect", "upgrade", "configure"}) {
            const CliRun run = RunCli({"--simulate", "--sim-clock", "virtual", command, path});
            if (std::string(command) == "inspect") {
                // --simulate applies to writer commands only.
                const CliRun inspect = RunCli({command, path});
                EXPECT_EQ(inspect.status, 2) << path;
                EXPECT_NE(inspect.err.find("not a regular file"), std::string::npos) << inspect.err;
                continue;
            }
            EXPECT_EQ(run.status, 2) << path << run.err;
        }
    }
    // Standard input redirected from a firmware file is read whole.
    const std::string file = Sealed(L"big.hex", std::string(10000, '\n') + kGood);
    const CliRun piped = RunCli({"inspect", "/dev/stdin"}, file);
    EXPECT_EQ(piped.status, 0) << piped.out << piped.err;
}

// Each output of a writer command is checked before the run starts: a refused
// one leaves its name and every input as they were, and the run never begins (the
// other output, the trace or the APROM image, is not even created).
TEST_F(CliFirmwareTest, ARefusedOutputStopsTheRunBeforeItStarts) {
    const std::string firmware = Sealed(L"in.hex", kGood);
    const std::vector<uint8_t> sealed = ReadWholeFile(dir.File(L"in.hex"));
    dir.Write(L"aprom-in.bin", std::vector<uint8_t>(69632, 0xFF));
    ASSERT_EQ(link(Path(L"in.hex").c_str(), Path(L"hard.hex").c_str()), 0);
    ASSERT_EQ(symlink("other.txt", Path(L"link.txt").c_str()), 0);
    ASSERT_EQ(mkfifo(Path(L"fifo").c_str(), 0600), 0);
    const struct {
        const char* option;   // the refused output
        const wchar_t* name;  // what it names
        const char* reason;
    } cases[] = {
        {"--trace", L"in.hex", "it is a file this run reads"},
        {"--trace", L"hard.hex", "it is a file this run reads"},
        {"--trace", L"aprom-in.bin", "it is a file this run reads"},
        {"--trace", L"link.txt", "it is a symbolic link"},
        {"--trace", L"fifo", "not a regular file (a FIFO)"},
        {"--sim-aprom-out", L"in.hex", "it is a file this run reads"},
        {"--sim-aprom-out", L"hard.hex", "it is a file this run reads"},
        {"--sim-aprom-out", L"fifo", "not a regular file (a FIFO)"},
        {"--sim-aprom-out", L"trace.txt", "it is the trace file"},
    };
    for (const auto& c : cases) {
        const bool trace = std::string(c.option) == "--trace";
        const CliRun run =
            RunCli({"--simulate", "--sim-clock", "virtual", "--sim-aprom-in", Path(L"aprom-in.bin"),
                    c.option, Path(c.name), trace ? "--sim-aprom-out" : "--trace",
                    Path(trace ? L"aprom-out.bin" : L"trace.txt"), "upgrade", firmware});
        EXPECT_EQ(run.status, 2) << c.option << " " << Arg(c.name) << run.err;
        EXPECT_NE(run.err.find(Path(c.name) + "': " + c.reason), std::string::npos) << run.err;
        EXPECT_EQ(ReadWholeFile(dir.File(L"in.hex")), sealed);
        EXPECT_EQ(ReadWholeFile(dir.File(L"aprom-in.bin")), std::vector<uint8_t>(69632, 0xFF));
        EXPECT_FALSE(FileExists(dir.File(L"aprom-out.bin")));
        EXPECT_FALSE(FileExists(dir.File(L"trace.txt")));
        EXPECT_FALSE(FileExists(dir.File(L"other.txt")));
    }
}

}  // namespace
