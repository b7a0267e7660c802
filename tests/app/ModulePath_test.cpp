// Start directory and application title derived from the executable's path.

#include "app/ModulePath.h"

#include <gtest/gtest.h>

using namespace vantrel;

TEST(ModuleDirectory, KeepsTheTrailingBackslash) {
    EXPECT_EQ(ModuleDirectory(L"C:\\Program Files\\Vantrel\\Vantrel.exe"),
              L"C:\\Program Files\\Vantrel\\");
    EXPECT_EQ(ModuleDirectory(L"D:\\烧录工具\\Vantrel.exe"), L"D:\\烧录工具\\");
    EXPECT_EQ(ModuleDirectory(L"Vantrel.exe"), L"");
}

TEST(ApplicationTitle, IsTheFileNameWithoutExtension) {
    EXPECT_EQ(ApplicationTitle(L"C:\\Tools\\Vantrel.exe"), L"Vantrel");
    EXPECT_EQ(ApplicationTitle(L"C:\\Tools.v1\\VantrelSim.exe"), L"VantrelSim");
    EXPECT_EQ(ApplicationTitle(L"C:\\Tools\\my.tool.exe"), L"my.tool");
    EXPECT_EQ(ApplicationTitle(L"C:\\Tools\\Vantrel"), L"Vantrel");
}
