// The station's table rows fit the terminal, whatever the texts, and the result
// lines say how each job ended.

#include "cli/StationDisplay.h"

#include <gtest/gtest.h>

#include <string>

#include "common/Text.h"

using namespace vantrel;
using namespace vantrel::cli;

namespace {

// Columns a text takes (a wide character two).
size_t Width(const std::wstring& text) {
    size_t width = 0;
    for (wchar_t c : text) width += c >= 0x1100 ? 2 : 1;
    return width;
}

TEST(StationDisplay, ARowNeverReachesTheTerminalsLastColumn) {
    StationRowState row;
    row.location = L"1-2.3.4.1";
    row.subject = L"A-VERY-LONG-IC-NAME-OF-THIRTY-CHARS";
    row.phase = RowPhase::Running;
    row.step = L"ProgramApromPage 120/136";
    row.progress = 88;
    row.result = L"APROM烧录...\nsecond line";
    for (int columns : {0, 20, 60, 80, 200}) {
        const std::wstring line = StationDisplay::Row(row, 12, columns);
        EXPECT_LT(Width(line), static_cast<size_t>(columns == 0 ? 80 : columns)) << columns;
        EXPECT_EQ(line.find(L'\n'), std::wstring::npos);
    }
    const std::wstring wide = StationDisplay::Row(row, 12, 200);
    EXPECT_NE(wide.find(L"[########..]  88%"), std::wstring::npos) << ToUtf8(wide);
    EXPECT_NE(wide.find(L"ProgramApromPage 120/136"), std::wstring::npos);
}

TEST(StationDisplay, TheResultLineSaysHowTheJobEnded) {
    StationRowState row;
    row.location = L"sim-3";
    row.phase = RowPhase::Succeeded;
    EXPECT_EQ(StationDisplay::ResultLine(row, 4700), L"sim-3: succeeded in 4.7 s");
    row.phase = RowPhase::Failed;
    row.result = L"Error：DownEE";
    EXPECT_EQ(StationDisplay::ResultLine(row, 2000), L"sim-3: FAILED in 2.0 s: Error：DownEE");
}

}  // namespace
