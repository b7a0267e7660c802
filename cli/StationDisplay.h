#pragma once
// What a station shows. On a terminal: one row per writer (location, IC or
// firmware, state, step or page, bar, seconds, result), redrawn in place and never
// wider than the terminal. Otherwise: one line per event ("sim-2: DownIC" ...). -q
// prints only each job's result. The station's own notices and its summary always.

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "app/StationRow.h"
#include "common/Console.h"

namespace vantrel::cli {

class StationDisplay {
public:
    StationDisplay(TextSink& out, bool table, bool quiet);

    // A text a job showed.
    void Event(const std::wstring& place, const std::wstring& text);
    // A text of the station's own.
    void Notice(const std::wstring& text);
    // A job has ended.
    void Result(const StationRowState& row, uint32_t milliseconds);
    // The loop's turn: the table is redrawn (at most ten times a second).
    void Draw(const std::vector<StationRowState>& rows);
    // The table's last drawing stays; what follows starts below it.
    void Close(const std::vector<StationRowState>& rows);

    // One row of the table for `columns` columns (80 when 0).
    static std::wstring Row(const StationRowState& row, int seconds, int columns);
    // The result line of a finished job: "sim-2: succeeded in 4.7 s".
    static std::wstring ResultLine(const StationRowState& row, uint32_t milliseconds);

private:
    void DrawLocked(const std::vector<StationRowState>& rows);
    int SecondsOf(const StationRowState& row);

    TextSink& m_out;
    const bool m_table;
    const bool m_quiet;
    std::mutex m_mutex;
    size_t m_drawnRows = 0;
    std::chrono::steady_clock::time_point m_lastDraw{};
    // Real start and end of each row's job, for the seconds shown.
    std::map<std::wstring, std::chrono::steady_clock::time_point> m_started;
    std::map<std::wstring, int> m_endedSeconds;
};

}  // namespace vantrel::cli
