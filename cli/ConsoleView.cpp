#include "cli/ConsoleView.h"

#include <algorithm>
#include <cstdio>

#include "cli/Interruption.h"
#include "common/ShownText.h"
#include "common/WindowSystem.h"

namespace vantrel::cli {

namespace {

constexpr int kDefaultColumns = 80;
constexpr int kMinBarCells = 10;
constexpr int kMaxBarCells = 40;
constexpr wchar_t kWarningCaption[] = L"警告";

constexpr wchar_t kModeQuestion[] =
    L"烧录模式 (programming mode):\n"
    L"  1  六线模式  推荐设置，使用IC:BUSY控制，烧录时间短\n"
    L"  2  五线模式  非常规设置，不使用IC:BUSY控制，烧录时间长\n";
constexpr wchar_t kModePrompt[] = L"1 or 2 (six / five)? ";

std::wstring Elapsed(int seconds) {
    wchar_t text[32];
    if (seconds >= 3600) {
        std::swprintf(text, 32, L"%d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    } else {
        std::swprintf(text, 32, L"%d:%02d", seconds / 60, seconds % 60);
    }
    return text;
}

std::wstring Trimmed(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return std::wstring();
    const size_t last = text.find_last_not_of(L" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

ConsoleView::ConsoleView(TextSink& out, TextSink& err, ViewSettings settings)
    : m_out(out),
      m_err(err),
      m_settings(std::move(settings)),
      m_start(std::chrono::steady_clock::now()) {
    if (m_settings.command == Command::Configure) m_label = L"configure";
    if (m_settings.command == Command::Upgrade) m_label = L"upgrade";
}

std::wstring ConsoleView::AsLine(const std::wstring& text) {
    size_t end = text.size();
    while (end > 0 && (text[end - 1] == L'\n' || text[end - 1] == L'\r')) --end;
    return text.substr(0, end);
}

std::wstring ConsoleView::Bar(const std::wstring& label, int position, int seconds, int columns) {
    position = std::clamp(position, 0, 100);
    const int width = (columns > 0 ? columns : kDefaultColumns) - 1;  // the last column wraps
    wchar_t percent[16];
    std::swprintf(percent, 16, L"%3d%%", position);
    const std::wstring tail = std::wstring(L" ") + percent + L" " + Elapsed(seconds);
    const int fixed = 2 + static_cast<int>(tail.size());  // the brackets and the tail
    std::wstring shown = label;
    if (width - fixed - static_cast<int>(shown.size()) - 1 < kMinBarCells) {
        const int room = width - fixed - kMinBarCells - 1;
        shown = room >= 4 ? label.substr(0, static_cast<size_t>(room)) : std::wstring();
    }
    const int labelWidth = shown.empty() ? 0 : static_cast<int>(shown.size()) + 1;
    const int cells = std::min(kMaxBarCells, width - fixed - labelWidth);
    if (cells < 3)
        return (std::wstring(percent) + L" " + Elapsed(seconds)).substr(0, std::max(0, width));
    const int filled = position * cells / 100;
    std::wstring bar = shown.empty() ? L"[" : shown + L" [";
    bar.append(static_cast<size_t>(filled), L'#');
    bar.append(static_cast<size_t>(cells - filled), L'.');
    return bar + L"]" + tail;
}

uint8_t ConsoleView::ParseModeAnswer(const std::wstring& answer) {
    std::wstring a = Trimmed(answer);
    for (wchar_t& c : a) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    if (a == L"1" || a == L"six" || a == L"六" || a == L"六线" || a == L"六线模式") return 1;
    if (a == L"2" || a == L"five" || a == L"五" || a == L"五线" || a == L"五线模式") return 2;
    return 0;
}

int ConsoleView::ElapsedSeconds() const {
    const auto elapsed = std::chrono::steady_clock::now() - m_start;
    return static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count());
}

void ConsoleView::ClearBarLocked() {
    if (!m_barDrawn) return;
    m_err.Write(L"\r" + std::wstring(m_barLength, L' ') + L"\r");
    m_barDrawn = false;
    m_barLength = 0;
    NoteBarOpen(false);
}

void ConsoleView::DrawBarLocked() {
    if (!m_barShown || m_asking) return;
    m_barSeconds = ElapsedSeconds();
    const std::wstring bar = Bar(m_label, m_barPosition, m_barSeconds, m_err.Columns());
    if (m_barDrawn && bar == m_lastBar) return;
    m_lastBar = bar;
    std::wstring text = L"\r" + bar;
    // Spaces over what is left of a longer bar drawn before.
    if (bar.size() < m_barLength)
        text += std::wstring(m_barLength - bar.size(), L' ') + L"\r" + bar;
    m_err.Write(text);
    m_barDrawn = true;
    m_barLength = bar.size();
    NoteBarOpen(true);
}

void ConsoleView::PrintLocked(const std::wstring& line) {
    const bool redraw = m_barDrawn;
    ClearBarLocked();
    m_out.Write(line + L"\n");
    if (redraw) DrawBarLocked();
}

void ConsoleView::PrintLine(const std::wstring& text) {
    if (Quiet()) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    PrintLocked(text);
}

void ConsoleView::PrintDetail(const std::wstring& text) {
    if (!Verbose()) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    PrintLocked(text);
}

void ConsoleView::Finish() {
    std::lock_guard<std::mutex> lock(m_mutex);
    ClearBarLocked();
    m_barShown = false;
    if (!Quiet() || m_resultPrinted) return;
    // The result that -q held back: the outcome of an upgrade stands last in the
    // error pane, the answer of status in the connection pane.
    int pane = -1;
    if (m_settings.command == Command::Upgrade) pane = kPaneError;
    if (m_settings.command == Command::Status) pane = kPaneConnection;
    if (pane < 0) return;
    const std::wstring line = AsLine(m_panes[pane]);
    if (!line.empty()) m_out.Write(line + L"\n");
    m_resultPrinted = true;
}

void ConsoleView::SetPaneText(int pane, const std::wstring& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (pane < 0 || pane >= 4) return;
    m_panes[pane] = text;
    // An empty text clears a pane: there is nothing to print.
    const std::wstring line = AsLine(text);
    if (line.empty()) return;
    if (Quiet()) {
        // Errors only: the error pane holds them, except in an upgrade, where it
        // holds every step and its last text is the result (printed by Finish).
        if (pane != kPaneError || m_settings.command == Command::Upgrade) return;
        if (m_settings.command == Command::Status) return;
    }
    PrintLocked(line);
}

void ConsoleView::SetProgress(int position) {
    if (!m_settings.progressBar) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_barShown && m_barDrawn && position == m_barPosition) return;
    m_barShown = true;
    m_barPosition = position;
    DrawBarLocked();
}

void ConsoleView::SetControlText(int controlId, const std::wstring& text) {
    const std::wstring value = AsLine(text);
    if (value.empty()) return;  // a cleared control
    std::wstring label;
    switch (controlId) {
        case kIdcIcName:
            // The IC name is shown when the job starts; -q keeps to the result.
            if (Quiet()) return;
            label = L"IC: ";
            break;
        case kIdcFirstChecksum:
            label = L"M+O+E：";
            break;
        case kIdcSecondChecksum:
            label = L"MEMORY：";
            break;
        default:
            break;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    PrintLocked(label + ShownText(value));
}

void ConsoleView::ShowMessage(const std::wstring& text, const std::wstring& caption, unsigned) {
    // The dialog's boxes wait for OK; here the text is printed and the job goes on.
    const std::wstring line = AsLine(text);
    if (line.empty()) return;
    const bool warning = caption == kWarningCaption;
    // The upgrade's warning box is no error: -q leaves it out.
    if (warning && Quiet()) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    PrintLocked((warning ? L"警告: " : L"Message: ") + line);
}

uint8_t ConsoleView::AskProgramMode() {
    m_modeAsked = true;
    if (m_settings.mode == 1 || m_settings.mode == 2) return m_settings.mode;
    if (!m_settings.canAsk || !m_settings.readLine) {
        PrintLine(L"烧录模式: 六线模式 (1): nobody to ask (not a terminal)");
        return 1;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ClearBarLocked();
        m_asking = true;
        m_out.Write(kModeQuestion);
    }
    uint8_t mode = 0;
    while (mode == 0) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_out.Write(kModePrompt);
        }
        // The lock is not held while the operator thinks: other threads may print.
        std::wstring answer;
        if (!m_settings.readLine(answer)) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_out.Write(L"\n烧录模式: 六线模式 (1): no answer (end of input)\n");
            mode = 1;
            break;
        }
        mode = ParseModeAnswer(answer);
        if (mode == 0) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_out.Write(L"'" + ShownText(answer) +
                        L"' is no answer: 1 (six, 六) or 2 (five, 五)\n");
        }
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_asking = false;
    DrawBarLocked();
    return mode;
}

void ConsoleView::StepStarted(const std::wstring& name, const std::wstring& detail) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_label = name;
    if (Verbose()) {
        PrintLocked(L"step: " + name + (detail.empty() ? L"" : L" (" + detail + L")"));
    } else if (m_barDrawn) {
        DrawBarLocked();
    }
}

void ConsoleView::SetLabel(const std::wstring& label) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (label == m_label) return;
    m_label = label;
    if (m_barDrawn) DrawBarLocked();
}

void ConsoleView::Tick() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_barDrawn && ElapsedSeconds() != m_barSeconds) DrawBarLocked();
}

void ConsoleView::PumpWorkerMessages() {
    if (m_pumpHook) m_pumpHook();
}

void ConsoleView::RequestDeviceCheck() { m_deviceCheck = true; }

std::wstring ConsoleView::LastPane(int pane) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return pane >= 0 && pane < 4 ? m_panes[pane] : std::wstring();
}

}  // namespace vantrel::cli
