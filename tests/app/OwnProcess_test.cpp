// The exit may only ever terminate the tool's own process.

#include "app/OwnProcess.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vantrel;

TEST(FindOwnProcessId, TakesTheEntryThatIsTheCallingProcess) {
    const std::vector<ProcessEntry> snapshot = {
        {4, L"System"}, {120, L"Vantrel.exe"}, {300, L"Vantrel.exe"}, {301, L"explorer.exe"}};
    // A second instance finds itself, not the first instance listed.
    EXPECT_EQ(FindOwnProcessId(snapshot, L"Vantrel.exe", 300), 300u);
    EXPECT_EQ(FindOwnProcessId(snapshot, L"Vantrel.exe", 120), 120u);
}

TEST(FindOwnProcessId, IsZeroWhenTheOwnEntryHasAnotherName) {
    const std::vector<ProcessEntry> snapshot = {
        {120, L"Vantrel.exe"}, {300, L"vantrel.exe"}, {301, L"Vantrel_old.exe"}};
    EXPECT_EQ(FindOwnProcessId(snapshot, L"Vantrel.exe", 300), 0u);  // case differs
    EXPECT_EQ(FindOwnProcessId(snapshot, L"Vantrel.exe", 301), 0u);  // renamed executable
    EXPECT_EQ(FindOwnProcessId(snapshot, L"Vantrel.exe", 999), 0u);  // not in the snapshot
    EXPECT_EQ(FindOwnProcessId({}, L"Vantrel.exe", 120), 0u);
}

TEST(MayTerminate, OnlyTheOwnNonZeroId) {
    EXPECT_TRUE(MayTerminate(300, 300));
    EXPECT_FALSE(MayTerminate(120, 300));
    EXPECT_FALSE(MayTerminate(0, 0));
    EXPECT_FALSE(MayTerminate(0, 300));
}
