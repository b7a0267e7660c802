// Claims on a writer: taken, refused with the holder's words, looked at without
// being taken, counted inside one process, dropped when a holder vanishes, and the
// layer that opens a writer only under its claim.

#include "link/WriterClaims.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <fstream>
#include <functional>

#include "common/Clock.h"
#include "common/Text.h"
#include "link/ClaimingPlatform.h"
#include "sim/SimWriter.h"
#include "tests/support/TempDir.h"

namespace vantrel::test {
namespace {

const std::wstring kKey = L"at 1-1";

struct BackendCase {
    const char* name;
    std::function<std::unique_ptr<IClaimBackend>(const std::string& folder)> make;
};

const BackendCase kBackends[] = {
    {"in process", [](const std::string&) { return std::make_unique<InProcessClaimBackend>(); }},
    // Lock files in the folder on Linux, named mutexes on Windows.
    {"the system's", [](const std::string& folder) { return MakeSystemClaimBackend(folder); }},
};

TEST(WriterClaims, TakenRefusedLookedAtAndCounted) {
    for (const BackendCase& c : kBackends) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        auto backend = c.make(ToUtf8(dir.Path()));
        const std::string first = "vantrel-cli (pid 1), upgrade since 10:42:07";
        ClaimAttempt taken = backend->TryTake(kKey, &first);
        ASSERT_TRUE(taken.token);
        EXPECT_FALSE(taken.holderVanished);

        const std::string second = "second";
        const ClaimAttempt refused = backend->TryTake(kKey, &second);
        EXPECT_FALSE(refused.token);
        EXPECT_EQ(refused.heldBy, first);
        const ClaimAttempt look = backend->TryTake(kKey, nullptr);
        EXPECT_FALSE(look.token);
        EXPECT_EQ(look.heldBy, first);
        EXPECT_TRUE(backend->TryTake(L"at 1-2", &second).token) << "another writer is free";

        taken.token.reset();
        EXPECT_TRUE(backend->TryTake(kKey, nullptr).token);
        const ClaimAttempt again = backend->TryTake(kKey, &second);
        EXPECT_TRUE(again.token);
        EXPECT_FALSE(again.holderVanished) << "a holder that let go did not vanish";
    }
}

TEST(WriterClaims, HoldsInsideOneProcessShareOneClaim) {
    InProcessClaimBackend backend;
    WriterClaims mine(backend, [] { return std::string("mine"); });
    WriterClaims other(backend, [] { return std::string("other"); });
    ASSERT_TRUE(mine.Hold(kKey));
    ASSERT_TRUE(mine.Hold(kKey));
    std::string heldBy;
    EXPECT_FALSE(other.Hold(kKey, &heldBy));
    EXPECT_EQ(heldBy, "mine");
    EXPECT_FALSE(mine.BusyElsewhere(kKey, heldBy));
    EXPECT_TRUE(other.BusyElsewhere(kKey, heldBy));
    mine.Release(kKey);
    EXPECT_TRUE(other.BusyElsewhere(kKey, heldBy)) << "one hold is left";
    mine.Release(kKey);
    EXPECT_FALSE(other.BusyElsewhere(kKey, heldBy));
    EXPECT_TRUE(other.Hold(kKey));
}

#ifndef _WIN32
TEST(WriterClaims, AKilledHolderFreesTheClaimAndIsSeenToHaveVanished) {
    TempDir dir;
    const std::string folder = ToUtf8(dir.Path());
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
        auto backend = MakeSystemClaimBackend(folder);
        const std::string holder = "child";
        ClaimAttempt taken = backend->TryTake(kKey, &holder);
        const char byte = taken.token ? 1 : 0;
        if (write(ready[1], &byte, 1) != 1) _exit(2);
        pause();
        _exit(0);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    ASSERT_EQ(byte, 1);
    auto backend = MakeSystemClaimBackend(folder);
    const std::string holder = "parent";
    EXPECT_EQ(backend->TryTake(kKey, &holder).heldBy, "child");
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    const ClaimAttempt look = backend->TryTake(kKey, nullptr);
    EXPECT_TRUE(look.token);
    EXPECT_TRUE(look.holderVanished);
    const ClaimAttempt taken = backend->TryTake(kKey, &holder);
    EXPECT_TRUE(taken.token);
    EXPECT_TRUE(taken.holderVanished) << "a look leaves the mark for the next holder";
    close(ready[0]);
    close(ready[1]);
}
#endif

TEST(ClaimingPlatform, OpensOnlyUnderTheClaimAndKeepsItForAJob) {
    VirtualClock clock;
    sim::SimWriter writer(clock, sim::SimOptions{});
    InProcessClaimBackend backend;
    WriterClaims mine(backend, [] { return std::string("mine"); });
    WriterClaims other(backend, [] { return std::string("other process"); });
    ClaimingPlatform claiming(writer.Platform(), mine);
    const std::wstring path = sim::SimWriter::ApplicationPath();
    HidAttributes attributes;
    ASSERT_TRUE(claiming.QueryAttributes(path, attributes));
    const std::wstring key = claiming.KeyOf(path);
    std::string heldBy;

    ASSERT_TRUE(other.Hold(key));
    EXPECT_EQ(claiming.OpenForRead(path), kInvalidHidHandle);
    EXPECT_EQ(claiming.LastRefusal(), "other process");
    other.Release(key);

    // A transaction alone: the claim goes with the last handle.
    HidHandle read = claiming.OpenForRead(path);
    ASSERT_NE(read, kInvalidHidHandle);
    EXPECT_TRUE(other.BusyElsewhere(key, heldBy));
    claiming.Close(read);
    EXPECT_FALSE(other.BusyElsewhere(key, heldBy));

    // A job: the claim stays between its transactions until the job ends.
    claiming.BeginHold();
    read = claiming.OpenForRead(path);
    claiming.Close(read);
    EXPECT_TRUE(other.BusyElsewhere(key, heldBy));
    EXPECT_EQ(heldBy, "mine");
    claiming.EndHold();
    EXPECT_FALSE(other.BusyElsewhere(key, heldBy));
}

TEST(ClaimKey, LocationThenPathThenOneKeyForUnlocatedBootLoaders) {
    EXPECT_EQ(ClaimKey(L"1-1", L"P", false), L"at 1-1");
    EXPECT_EQ(ClaimKey(L"1-1", L"P", true), L"at 1-1");
    EXPECT_EQ(ClaimKey(L"", L"\\\\?\\HID#VID_0416", false), L"path \\\\?\\hid#vid_0416");
    EXPECT_EQ(ClaimKey(L"", L"A", true), ClaimKey(L"", L"B", true));
}

}  // namespace
}  // namespace vantrel::test
