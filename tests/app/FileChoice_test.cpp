// The rules of the source-file choice: extension, next start directory, filter.

#include "app/FileChoice.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

using namespace vantrel;

TEST(FileExtension, IsTheTextAfterTheLastPeriodOfTheFileName) {
    EXPECT_EQ(FileExtension(L"C:\\data\\a.ctl"), L"ctl");
    EXPECT_EQ(FileExtension(L"C:\\data\\image.old.hex"), L"hex");
    EXPECT_EQ(FileExtension(L"C:\\数据\\配置.ctl"), L"ctl");
    EXPECT_EQ(FileExtension(L"a.ctl"), L"ctl");
}

TEST(FileExtension, IsEmptyWhenTheFileNameHasNoPeriod) {
    EXPECT_EQ(FileExtension(L"C:\\data.v2\\firmware"), L"");
    EXPECT_EQ(FileExtension(L"C:\\data.v2/firmware"), L"");
    EXPECT_EQ(FileExtension(L"C:\\data\\trailing."), L"");
    EXPECT_EQ(FileExtension(L""), L"");
}

TEST(JobButtonForFile, ComparesTheExtensionCaseSensitively) {
    EXPECT_EQ(JobButtonForFile(L"C:\\x\\a.ctl"), JobButton::Configure);
    EXPECT_EQ(JobButtonForFile(L"C:\\x\\b.hex"), JobButton::Upgrade);
    EXPECT_EQ(JobButtonForFile(L"C:\\x\\A.CTL"), JobButton::Unchanged);
    EXPECT_EQ(JobButtonForFile(L"C:\\x\\b.Hex"), JobButton::Unchanged);
    EXPECT_EQ(JobButtonForFile(L"C:\\x\\b.hex.bak"), JobButton::Unchanged);
    EXPECT_EQ(JobButtonForFile(L"C:\\x.ctl\\readme"), JobButton::Unchanged);
}

TEST(DirectoryOfChosenFile, DropsTheFileNameAndTheLastBackslash) {
    EXPECT_EQ(DirectoryOfChosenFile(L"C:\\data\\a.ctl"), L"C:\\data");
    EXPECT_EQ(DirectoryOfChosenFile(L"C:\\a.ctl"), L"C:");
    EXPECT_EQ(DirectoryOfChosenFile(L"\\\\server\\share\\配置\\a.ctl"), L"\\\\server\\share\\配置");
    EXPECT_EQ(DirectoryOfChosenFile(L"a.ctl"), L"");
}

TEST(OpenFileFilter, TurnsBarsIntoNulsAndEndsWithTwoNuls) {
    const std::wstring filter = OpenFileFilter(kSourceFileFilter);
    const wchar_t literal[] = L"Data Files (*.ctl)\0*.ctl\0(*.hex)\0*.hex\0";
    const std::wstring expected(literal, std::size(literal));  // with the literal's own NUL
    EXPECT_EQ(filter, expected);
}

TEST(OpenFileFilter, CompletesAListWithoutItsClosingBars) {
    EXPECT_EQ(OpenFileFilter(L"All|*.*"), std::wstring(L"All\0*.*\0\0", 9));
    EXPECT_EQ(OpenFileFilter(L""), std::wstring(2, L'\0'));
}
