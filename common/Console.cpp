#include "common/Console.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "common/OutputFile.h"
#include "common/Text.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace vantrel {

namespace {

FILE* FileOf(ConsoleStream::Which which) {
    return which == ConsoleStream::Which::Output ? stdout : stderr;
}

#ifdef _WIN32
HANDLE HandleOf(ConsoleStream::Which which) {
    return GetStdHandle(which == ConsoleStream::Which::Output ? STD_OUTPUT_HANDLE
                                                              : STD_ERROR_HANDLE);
}

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

std::wstring LastErrorText() { return SystemErrorText(GetLastError()); }
#endif

}  // namespace

std::wstring SystemErrorText(unsigned long code) { return SystemReason(code); }

std::wstring ErrnoText(int error) { return FromUtf8(std::generic_category().message(error)); }

ConsoleStream::ConsoleStream(Which which) : m_which(which) {
#ifdef _WIN32
    m_terminal = IsConsole(HandleOf(which));
#else
    m_terminal = isatty(fileno(FileOf(which))) != 0;
#endif
}

int ConsoleStream::Columns() const {
    if (!m_terminal) return 0;
#ifdef _WIN32
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(HandleOf(m_which), &info)) return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
#else
    winsize size{};
    if (ioctl(fileno(FileOf(m_which)), TIOCGWINSZ, &size) != 0) return 0;
    return size.ws_col;
#endif
}

void ConsoleStream::Fail(const std::wstring& reason) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_failure.empty()) m_failure = reason.empty() ? L"write error" : reason;
}

std::wstring ConsoleStream::Failure() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_failure;
}

bool ConsoleStream::Write(const std::wstring& text) {
#ifdef _WIN32
    if (m_terminal) {
        HANDLE handle = HandleOf(m_which);
        const wchar_t* data = text.data();
        size_t left = text.size();
        while (left > 0) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(left > 8192 ? 8192 : left);
            if (!WriteConsoleW(handle, data, chunk, &written, nullptr) || written == 0) {
                Fail(LastErrorText());
                return false;
            }
            data += written;
            left -= written;
        }
        return true;
    }
#endif
    return WriteUtf8(ToUtf8(text));
}

bool ConsoleStream::WriteUtf8(const std::string& text) {
    FILE* file = FileOf(m_which);
    errno = 0;
    const bool whole = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool flushed = std::fflush(file) == 0;
    if (whole && flushed) return true;
    Fail(errno != 0 ? ErrnoText(errno) : std::wstring());
    std::clearerr(file);
    return false;
}

ConsoleStream& StandardOutput() {
    static ConsoleStream stream(ConsoleStream::Which::Output);
    return stream;
}

ConsoleStream& StandardError() {
    static ConsoleStream stream(ConsoleStream::Which::Error);
    return stream;
}

bool InputIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stdin)) != 0;
#else
    return isatty(fileno(stdin)) != 0;
#endif
}

bool ReadInputLine(std::wstring& line) {
    line.clear();
#ifdef _WIN32
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (IsConsole(input)) {
        wchar_t buffer[256];
        bool any = false;
        for (;;) {
            DWORD got = 0;
            if (!ReadConsoleW(input, buffer, 256, &got, nullptr) || got == 0) return any;
            any = true;
            for (DWORD i = 0; i < got; ++i) {
                // Ctrl-Z at the start of a line is the console's end of input.
                if (buffer[i] == 0x1A && line.empty()) return false;
                if (buffer[i] == L'\n') return true;
                if (buffer[i] != L'\r') line += buffer[i];
            }
        }
    }
#endif
    std::string bytes;
    int c;
    bool any = false;
    while ((c = std::fgetc(stdin)) != EOF) {
        any = true;
        if (c == '\n') break;
        if (c != '\r') bytes.push_back(static_cast<char>(c));
    }
    line = FromUtf8(bytes);
    return any;
}

}  // namespace vantrel
