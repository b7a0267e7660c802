// The one rule of output files: what each kind of thing at the output name does to
// a whole-file write and to a line-by-line output, and that a refused output
// leaves the thing there (and every input) as it was.

#include "common/OutputFile.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "common/FileRead.h"
#include "common/Text.h"
#include "tests/support/TempDir.h"

using namespace vantrel;
using vantrel::test::TempDir;

namespace {

// What a name holds, read without blocking on a FIFO (empty for anything but a
// regular file).
std::vector<uint8_t> Contents(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    ReadRegularFile(path, 1 << 16, bytes);
    return bytes;
}

#ifndef _WIN32
std::string Native(const std::wstring& path) { return ToNativeBytes(path); }
#endif

// The identity of what a name holds now (a replaced file gets a new one).
uint64_t InodeOf(const std::wstring& path) {
#ifdef _WIN32
    (void)path;
    return 0;
#else
    struct stat info = {};
    return ::lstat(Native(path).c_str(), &info) == 0 ? info.st_ino : 0;
#endif
}

TEST(OutputFile, EveryKindOfNameByTheSameRule) {
    const std::vector<uint8_t> input = {'i', 'n'};
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    const std::vector<uint8_t> fresh = {'n', 'e', 'w'};
    struct Case {
        const char* name;
        // Makes what stands at the output name; returns that name.
        std::function<std::wstring(const TempDir&)> make;
        const wchar_t* wholeRefusal;  // nullptr: the whole-file write is accepted
        const wchar_t* lineRefusal;   // nullptr: the line-by-line output is accepted
    };
    const Case cases[] = {
        {"a new name", [](const TempDir& d) { return d.File(L"out"); }, nullptr, nullptr},
        {"a regular file", [&](const TempDir& d) { return d.Write(L"out", old); }, nullptr,
         nullptr},
        {"the input", [](const TempDir& d) { return d.File(L"in"); }, L"reads", L"reads"},
        {"a folder", [](const TempDir& d) { return d.MakeDir(L"out"); }, L"(a folder)",
         L"(a folder)"},
        {"a missing folder", [](const TempDir& d) { return d.File(L"no/such/out"); }, L"", L""},
#ifndef _WIN32
        {"a hard link of the input",
         [](const TempDir& d) {
             ::link(Native(d.File(L"in")).c_str(), Native(d.File(L"out")).c_str());
             return d.File(L"out");
         },
         L"reads", L"reads"},
        {"a link to another file",
         [&](const TempDir& d) {
             d.Write(L"target", old);
             ::symlink("target", Native(d.File(L"out")).c_str());
             return d.File(L"out");
         },
         nullptr, L"symbolic link"},
        {"a link to the input",
         [](const TempDir& d) {
             ::symlink("in", Native(d.File(L"out")).c_str());
             return d.File(L"out");
         },
         L"reads", L"symbolic link"},
        {"a FIFO",
         [](const TempDir& d) {
             ::mkfifo(Native(d.File(L"out")).c_str(), 0600);
             return d.File(L"out");
         },
         L"(a FIFO)", L"(a FIFO)"},
        {"a device", [](const TempDir&) { return std::wstring(L"/dev/null"); }, L"(a device)",
         L"(a device)"},
#else
        {"a device", [](const TempDir&) { return std::wstring(L"NUL"); }, L"(a device)",
         L"(a device)"},
#endif
    };
    for (const Case& c : cases) {
        for (const bool lineByLine : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (lineByLine ? ", line by line" : ", whole file"));
            TempDir dir;
            const std::vector<std::wstring> inputs = {dir.Write(L"in", input)};
            const std::wstring path = c.make(dir);
            const std::vector<uint8_t> before = Contents(path);
            const uint64_t inodeBefore = InodeOf(path);
            const wchar_t* refusal = lineByLine ? c.lineRefusal : c.wholeRefusal;

            std::wstring problem;
            bool written = false;
            if (lineByLine) {
                FILE* out = OpenLineOutput(path, inputs, problem);
                if (out != nullptr) {
                    written = std::fputs("new", out) >= 0;
                    written = std::fclose(out) == 0 && written;
                }
            } else {
                written = WriteOutputFile(path, fresh, inputs, problem);
            }
            EXPECT_EQ(Contents(inputs[0]), input);
            if (refusal == nullptr) {
                EXPECT_TRUE(written) << ToUtf8(problem);
                EXPECT_EQ(Contents(path), fresh);
                // Whole files are renamed into place: a new file at the name.
                if (!lineByLine && inodeBefore != 0) {
                    EXPECT_NE(InodeOf(path), inodeBefore);
                }
                if (std::string(c.name) == "a link to another file") {
                    EXPECT_EQ(Contents(dir.File(L"target")), old);
                }
            } else {
                EXPECT_FALSE(written);
                EXPECT_NE(problem.find(refusal), std::wstring::npos) << ToUtf8(problem);
                EXPECT_EQ(Contents(path), before);
                EXPECT_EQ(InodeOf(path), inodeBefore);
                // The check before a run says the same.
                EXPECT_EQ(OutputProblem(path, inputs, lineByLine), problem);
            }
            // Nothing is left beside the output.
            for (const std::wstring& entry : dir.Entries()) {
                EXPECT_EQ(entry.find(L".tmp"), std::wstring::npos) << ToUtf8(entry);
            }
        }
    }
}

}  // namespace
