// The one rule of output files: what each kind of thing at the output name does to
// a whole-file write and to a line-by-line output, and that a refused output
// leaves the thing there (and every input) as it was.

#include "common/OutputFile.h"

#include <gtest/gtest.h>

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
    const struct {
        const wchar_t* name;          // in the folder below, or a path of its own
        const wchar_t* wholeRefusal;  // nullptr: the whole-file write is accepted
        const wchar_t* lineRefusal;   // nullptr: the line-by-line output is accepted
    } cases[] = {
        {L"new", nullptr, nullptr},           {L"old", nullptr, nullptr},  // a regular file
        {L"in", L"reads", L"reads"},          {L"folder", L"(a folder)", L"(a folder)"},
        {L"no/such/out", L"", L""},
#ifndef _WIN32
        {L"hard", L"reads", L"reads"},  // a hard link of the input
        {L"link", nullptr, L"symbolic link"}, {L"link-to-in", L"reads", L"symbolic link"},
        {L"fifo", L"(a FIFO)", L"(a FIFO)"},  {L"/dev/null", L"(a device)", L"(a device)"},
#else
        {L"NUL", L"(a device)", L"(a device)"},
#endif
    };
    for (const auto& c : cases) {
        for (const bool lineByLine : {false, true}) {
            SCOPED_TRACE(ToUtf8(c.name) + (lineByLine ? ", line by line" : ", whole file"));
            TempDir dir;
            const std::vector<std::wstring> inputs = {dir.Write(L"in", input)};
            dir.Write(L"old", old);
            dir.Write(L"target", old);
            dir.MakeDir(L"folder");
#ifndef _WIN32
            ASSERT_EQ(::link(Native(inputs[0]).c_str(), Native(dir.File(L"hard")).c_str()), 0);
            ASSERT_EQ(::symlink("target", Native(dir.File(L"link")).c_str()), 0);
            ASSERT_EQ(::symlink("in", Native(dir.File(L"link-to-in")).c_str()), 0);
            ASSERT_EQ(::mkfifo(Native(dir.File(L"fifo")).c_str(), 0600), 0);
#endif
            const std::wstring path = c.name[0] == L'/' || c.name == std::wstring(L"NUL")
                                          ? std::wstring(c.name)
                                          : dir.File(c.name);
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
            EXPECT_EQ(Contents(dir.File(L"target")), old);  // a link is never followed
            if (refusal == nullptr) {
                EXPECT_TRUE(written) << ToUtf8(problem);
                EXPECT_EQ(Contents(path), fresh);
                // Whole files are renamed into place: a new file at the name.
                if (!lineByLine && inodeBefore != 0) {
                    EXPECT_NE(InodeOf(path), inodeBefore);
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

// A log is appended to: what is there stays, two writers' lines both land whole,
// and an input is still refused.
TEST(OutputFile, AnAppendedOutputKeepsWhatIsThere) {
    TempDir dir;
    const std::wstring log = dir.Write(L"log.jsonl", std::string("old\n"));
    std::wstring problem;
    FILE* first = OpenLineOutput(log, {}, problem, true);
    FILE* second = OpenLineOutput(log, {}, problem, true);
    ASSERT_TRUE(first != nullptr && second != nullptr) << ToUtf8(problem);
    std::fputs("one\n", first);
    std::fflush(first);
    std::fputs("two\n", second);
    std::fflush(second);
    std::fputs("three\n", first);
    std::fclose(first);
    std::fclose(second);
    const std::vector<uint8_t> bytes = Contents(log);
    std::string text(bytes.begin(), bytes.end());
    std::erase(text, '\r');  // a line output is text: on Windows its lines end in CR LF
    EXPECT_EQ(text, "old\none\ntwo\nthree\n");
    EXPECT_EQ(OpenLineOutput(log, {log}, problem, true), nullptr);
}

}  // namespace
