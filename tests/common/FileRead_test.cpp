// The bounded, regular-file-only reader: what it reads, and what it refuses at
// once instead of blocking or filling memory.

#include "common/FileRead.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "common/Text.h"
#include "tests/support/TempDir.h"

using namespace vantrel;
using vantrel::test::TempDir;

namespace {

TEST(ReadRegularFile, ReadsRegularFilesUpToTheLimitAndRefusesTheRest) {
    TempDir dir;
    const std::vector<uint8_t> hundred(100, 0x42);
    dir.Write(L"hundred.bin", hundred);
    dir.Write(L"empty.bin", std::vector<uint8_t>{});
    dir.MakeDir(L"folder");
#ifndef _WIN32
    ASSERT_EQ(mkfifo(ToUtf8(dir.File(L"fifo")).c_str(), 0600), 0);
    ASSERT_EQ(symlink(ToUtf8(dir.File(L"hundred.bin")).c_str(), ToUtf8(dir.File(L"link")).c_str()),
              0);
#endif
    const struct {
        std::wstring path;
        size_t limit;
        FileReadResult result;
        size_t size;
    } cases[] = {
        {dir.File(L"hundred.bin"), 100, FileReadResult::Ok, 100},
        {dir.File(L"hundred.bin"), 99, FileReadResult::TooLarge, 0},
        {dir.File(L"empty.bin"), 100, FileReadResult::Ok, 0},
        {dir.File(L"absent.bin"), 100, FileReadResult::CannotOpen, 0},
#ifndef _WIN32
        {dir.File(L"folder"), 100, FileReadResult::NotRegular, 0},
        {dir.File(L"fifo"), 100, FileReadResult::NotRegular, 0},  // no writer: would block
        {dir.File(L"link"), 100, FileReadResult::Ok, 100},
        {L"/dev/zero", 100, FileReadResult::NotRegular, 0},  // endless
        {L"/dev/null", 100, FileReadResult::NotRegular, 0},
#else
        {dir.File(L"folder"), 100, FileReadResult::CannotOpen, 0},
        {L"NUL", 100, FileReadResult::NotRegular, 0},
#endif
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes(7, 1);  // replaced, or cleared on failure
        EXPECT_EQ(ReadRegularFile(c.path, c.limit, bytes), c.result) << ToUtf8(c.path);
        EXPECT_EQ(bytes.size(), c.size) << ToUtf8(c.path);
        if (c.size == 100) {
            EXPECT_EQ(bytes, hundred);
        }
    }
}

}  // namespace
