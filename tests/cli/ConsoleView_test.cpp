// The CLI's view: the programming-mode question and its answers, and the progress
// bar's line at every width.

#include "cli/ConsoleView.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vantrel;
using namespace vantrel::cli;

namespace {

class RecordingSink : public TextSink {
public:
    bool Write(const std::wstring& text) override {
        written += text;
        return true;
    }
    std::wstring written;
};

size_t Count(const std::wstring& text, const std::wstring& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST(CliConsoleView, TheModeQuestionAsksUntilItGetsAnAnswer) {
    const struct {
        std::vector<std::wstring> answers;  // then the end of input
        uint8_t mode;
        size_t refusals;
        bool endOfInput;
    } cases[] = {
        {{L"1"}, 1, 0, false},
        {{L"2"}, 2, 0, false},
        {{L" six "}, 1, 0, false},
        {{L"FIVE"}, 2, 0, false},
        {{L"六"}, 1, 0, false},
        {{L"五"}, 2, 0, false},
        {{L"3", L"q", L"", L"five"}, 2, 3, false},
        {{L"seven"}, 1, 1, true},
        {{}, 1, 0, true},
    };
    for (const auto& c : cases) {
        RecordingSink out;
        RecordingSink err;
        size_t next = 0;
        ViewSettings settings;
        settings.command = Command::Configure;
        settings.canAsk = true;
        settings.readLine = [&](std::wstring& line) {
            if (next >= c.answers.size()) return false;
            line = c.answers[next++];
            return true;
        };
        ConsoleView view(out, err, settings);
        EXPECT_EQ(view.AskProgramMode(), c.mode) << out.written.size();
        EXPECT_EQ(Count(out.written, L"is no answer"), c.refusals);
        EXPECT_EQ(Count(out.written, L"1 or 2 (six / five)? "),
                  c.answers.size() + (c.endOfInput ? 1 : 0));
        EXPECT_EQ(Count(out.written, L"no answer (end of input)"), c.endOfInput ? 1u : 0u);
    }

    // Given on the command line, or nobody to ask: no question.
    RecordingSink out;
    RecordingSink err;
    ViewSettings given;
    given.mode = 2;
    EXPECT_EQ(ConsoleView(out, err, given).AskProgramMode(), 2);
    EXPECT_EQ(ConsoleView(out, err, ViewSettings{}).AskProgramMode(), 1);
    EXPECT_EQ(Count(out.written, L"? "), 0u);
    EXPECT_EQ(Count(out.written, L"nobody to ask"), 1u);
}

TEST(CliConsoleView, TheBarFitsItsTerminal) {
    const struct {
        int columns;
        const wchar_t* expected;
    } cases[] = {
        {80, L"erase 12/136 [################........................]  42% 1:05"},
        {40, L"erase 12/136 [#####.........]  42% 1:05"},
        {24, L"[####.......]  42% 1:05"},
        {12, L" 42% 1:05"},
        {6, L" 42% "},
        {0, L"erase 12/136 [################........................]  42% 1:05"},
    };
    for (const auto& c : cases) {
        const std::wstring bar = ConsoleView::Bar(L"erase 12/136", 42, 65, c.columns);
        EXPECT_EQ(bar, c.expected) << c.columns;
        EXPECT_LT(static_cast<int>(bar.size()), c.columns > 0 ? c.columns : 80);
    }
    EXPECT_EQ(ConsoleView::Bar(L"x", 100, 3725, 30), L"x [############] 100% 1:02:05");
}

}  // namespace
