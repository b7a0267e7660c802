#include "cli/ConsoleView.h"

#include <cstdio>

#include "common/Types.h"

namespace vantrel::cli {

namespace {

constexpr int kBarWidth = 40;
constexpr int kModeQuestionAttempts = 3;

}  // namespace

ConsoleView::ConsoleView(ConsoleStream& out, uint8_t mode, bool progressBar)
    : m_out(out), m_mode(mode), m_progressBar(progressBar) {}

std::wstring ConsoleView::AsLine(const std::wstring& text) {
    size_t end = text.size();
    while (end > 0 && (text[end - 1] == L'\n' || text[end - 1] == L'\r')) --end;
    return text.substr(0, end);
}

std::wstring ConsoleView::Bar(int position) {
    if (position < 0) position = 0;
    if (position > 100) position = 100;
    const int filled = position * kBarWidth / 100;
    std::wstring bar = L"[";
    bar.append(static_cast<size_t>(filled), L'#');
    bar.append(static_cast<size_t>(kBarWidth - filled), L'.');
    wchar_t percent[16];
    std::swprintf(percent, 16, L"] %3d%%", position);
    return bar + percent;
}

void ConsoleView::EndBarLocked() {
    if (!m_barOpen) return;
    m_out.Write(L"\n");
    m_barOpen = false;
    m_barPosition = -1;
}

void ConsoleView::PrintLineLocked(const std::wstring& text) {
    EndBarLocked();
    m_out.Write(text + L"\n");
}

void ConsoleView::PrintLine(const std::wstring& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    PrintLineLocked(text);
}

void ConsoleView::Finish() {
    std::lock_guard<std::mutex> lock(m_mutex);
    EndBarLocked();
}

void ConsoleView::SetPaneText(int pane, const std::wstring& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (pane >= 0 && pane < 4) m_panes[pane] = text;
    // An empty text clears a pane: there is nothing to print.
    const std::wstring line = AsLine(text);
    if (!line.empty()) PrintLineLocked(line);
}

void ConsoleView::SetProgress(int position) {
    if (!m_progressBar) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_barOpen && position == m_barPosition) return;
    m_out.Write(L"\r" + Bar(position));
    m_barOpen = true;
    m_barPosition = position;
}

void ConsoleView::SetControlText(int controlId, const std::wstring& text) {
    const std::wstring value = AsLine(text);
    if (value.empty()) return;  // a cleared control
    std::wstring label;
    switch (controlId) {
        case kIdcIcName:
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
    PrintLineLocked(label + value);
}

void ConsoleView::ShowMessage(const std::wstring& text, const std::wstring&, unsigned) {
    // The dialog's boxes wait for OK; here the text is printed and the job goes on.
    const std::wstring line = AsLine(text);
    if (line.empty()) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    PrintLineLocked(line);
}

uint8_t ConsoleView::AskProgramMode() {
    if (m_mode == 1 || m_mode == 2) return m_mode;
    if (!m_out.IsTerminal() || !InputIsTerminal()) return 1;
    for (int attempt = 0; attempt < kModeQuestionAttempts; ++attempt) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            EndBarLocked();
            m_out.Write(L"六线模式 (1) / 五线模式 (2)? [1] ");
        }
        // The lock is not held while the operator thinks: other threads may print.
        std::string answer;
        if (!ReadInputLine(answer)) return 1;
        if (answer.empty() || answer == "1") return 1;
        if (answer == "2") return 2;
    }
    return 1;
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
