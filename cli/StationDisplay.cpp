#include "cli/StationDisplay.h"

#include <algorithm>
#include <cstdio>

#include "common/ShownText.h"

namespace vantrel::cli {

namespace {

const wchar_t* PhaseName(RowPhase phase) {
    switch (phase) {
        case RowPhase::Waiting:
            return L"waiting";
        case RowPhase::Running:
            return L"running";
        case RowPhase::Succeeded:
            return L"ok";
        case RowPhase::Failed:
            return L"FAILED";
    }
    return L"";
}

// `text` cut or padded to `width` columns (a wide character takes two).
std::wstring Fit(const std::wstring& text, size_t width) {
    std::wstring out;
    size_t used = 0;
    for (wchar_t c : text) {
        const size_t w = c >= 0x1100 ? 2 : 1;
        if (used + w > width) break;
        out.push_back(c);
        used += w;
    }
    out.append(width - used, L' ');
    return out;
}

std::wstring OneLine(std::wstring text) {
    std::replace(text.begin(), text.end(), L'\n', L' ');
    std::replace(text.begin(), text.end(), L'\r', L' ');
    return text;
}

}  // namespace

StationDisplay::StationDisplay(TextSink& out, bool table, bool quiet)
    : m_out(out), m_table(table && !quiet), m_quiet(quiet) {}

std::wstring StationDisplay::Row(const StationRowState& row, int seconds, int columns) {
    const int width = columns > 0 ? columns : 80;
    const int filled = row.progress * 10 / 100;
    std::wstring bar = L"[" + std::wstring(static_cast<size_t>(filled), L'#') +
                       std::wstring(static_cast<size_t>(10 - filled), L'.') + L"]";
    wchar_t percent[16];
    std::swprintf(percent, 16, L"%3d%%", row.progress);
    wchar_t time[16];
    std::swprintf(time, 16, L"%4ds", seconds);
    const std::wstring step = row.phase == RowPhase::Running ? row.step : std::wstring();
    std::wstring line = Fit(row.location, 10) + L" " + Fit(row.subject, 16) + L" " +
                        Fit(PhaseName(row.phase), 7) + L" " + Fit(step, 24) + L" " + bar + L" " +
                        percent + L" " + time + L"  " + OneLine(row.result);
    // Never as wide as the terminal: a full line would wrap on some terminals.
    return Fit(line, static_cast<size_t>(width - 1));
}

std::wstring StationDisplay::ResultLine(const StationRowState& row, uint32_t milliseconds) {
    wchar_t seconds[32];
    std::swprintf(seconds, 32, L"%.1f s", milliseconds / 1000.0);
    if (row.phase == RowPhase::Succeeded) return row.location + L": succeeded in " + seconds;
    return row.location + L": FAILED in " + seconds +
           (row.result.empty() ? L"" : L": " + OneLine(row.result));
}

int StationDisplay::SecondsOf(const StationRowState& row) {
    const auto now = std::chrono::steady_clock::now();
    auto ended = m_endedSeconds.find(row.location);
    if (ended != m_endedSeconds.end()) return ended->second;
    auto started = m_started.try_emplace(row.location, now).first;
    const int seconds = static_cast<int>(
        std::chrono::duration_cast<std::chrono::seconds>(now - started->second).count());
    if (row.phase == RowPhase::Succeeded || row.phase == RowPhase::Failed) {
        m_endedSeconds[row.location] = seconds;
    }
    return seconds;
}

void StationDisplay::Event(const std::wstring& place, const std::wstring& text) {
    if (m_table || m_quiet) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_out.Write(place + L": " + OneLine(text) + L"\n");
}

void StationDisplay::Notice(const std::wstring& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_table && m_drawnRows > 0) {
        // Above the table: the table is drawn again below it.
        m_out.Write(L"\x1b[" + std::to_wstring(m_drawnRows) + L"A\r\x1b[J");
        m_drawnRows = 0;
        m_lastDraw = {};
    }
    m_out.Write(L"vantrel-cli: " + text + L"\n");
}

void StationDisplay::Result(const StationRowState& row, uint32_t milliseconds) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_table) {
        m_lastDraw = {};  // the row's result shows at the next drawing
        return;
    }
    m_out.Write(ResultLine(row, milliseconds) + L"\n");
}

void StationDisplay::Draw(const std::vector<StationRowState>& rows) {
    if (!m_table) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastDraw < std::chrono::milliseconds(100) && rows.size() == m_drawnRows) return;
    m_lastDraw = now;
    DrawLocked(rows);
}

void StationDisplay::DrawLocked(const std::vector<StationRowState>& rows) {
    std::wstring text;
    if (m_drawnRows > 0) text += L"\x1b[" + std::to_wstring(m_drawnRows) + L"A";
    for (const StationRowState& row : rows) {
        text += L"\r\x1b[K" + Row(row, SecondsOf(row), m_out.Columns()) + L"\n";
    }
    m_drawnRows = rows.size();
    m_out.Write(text);
}

void StationDisplay::Close(const std::vector<StationRowState>& rows) {
    if (!m_table) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    DrawLocked(rows);
    m_drawnRows = 0;
}

}  // namespace vantrel::cli
