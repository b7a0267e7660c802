// The APROM image file that a simulated writer starts from: exactly one image's
// bytes from a regular file, and everything else refused at once.

#include "sim/ApromImageFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "common/Text.h"
#include "sim/SimOptions.h"
#include "tests/support/TempDir.h"

using namespace vantrel;
using vantrel::test::TempDir;

namespace {

TEST(ApromImageFile, ExactlyOneImageFromARegularFile) {
    TempDir dir;
    std::vector<uint8_t> exact(sim::kApromSize);
    for (size_t i = 0; i < exact.size(); ++i) exact[i] = static_cast<uint8_t>(i * 7);
    dir.Write(L"exact.bin", exact);
    dir.Write(L"short.bin", std::vector<uint8_t>(sim::kApromSize - 1, 1));
    dir.Write(L"long.bin", std::vector<uint8_t>(sim::kApromSize + 1, 1));
    dir.MakeDir(L"folder");
#ifndef _WIN32
    ASSERT_EQ(mkfifo(ToNativeBytes(dir.File(L"fifo")).c_str(), 0600), 0);
#endif
    const struct {
        std::wstring path;
        const char* problem;  // "" for an accepted image
    } cases[] = {
        {dir.File(L"exact.bin"), ""},
        {dir.File(L"short.bin"), "holds 69631 bytes; an APROM image holds 69632"},
        {dir.File(L"long.bin"), "holds more than 69632 bytes"},
        {dir.File(L"absent.bin"), "cannot be opened"},
#ifndef _WIN32
        {dir.File(L"folder"), "is not a regular file"},
        {dir.File(L"fifo"), "is not a regular file"},  // never waits for a writer
        {L"/dev/zero", "is not a regular file"},       // never read without end
#endif
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> aprom(3, 9);
        const std::string problem = sim::ReadApromImageFile(c.path, aprom);
        if (*c.problem == '\0') {
            EXPECT_EQ(problem, "") << ToUtf8(c.path);
            EXPECT_EQ(aprom, exact);
        } else {
            EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
            EXPECT_TRUE(aprom.empty());
        }
    }
}

}  // namespace
