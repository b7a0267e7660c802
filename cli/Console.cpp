#include "cli/Console.h"

#include <cstdio>

#include "common/Text.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace vantrel::cli {

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
#endif

}  // namespace

ConsoleStream::ConsoleStream(Which which) : m_which(which) {
#ifdef _WIN32
    m_terminal = IsConsole(HandleOf(which));
#else
    m_terminal = isatty(fileno(FileOf(which))) != 0;
#endif
}

void ConsoleStream::Write(const std::wstring& text) {
#ifdef _WIN32
    if (m_terminal) {
        HANDLE handle = HandleOf(m_which);
        const wchar_t* data = text.data();
        size_t left = text.size();
        while (left > 0) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(left > 8192 ? 8192 : left);
            if (!WriteConsoleW(handle, data, chunk, &written, nullptr) || written == 0) break;
            data += written;
            left -= written;
        }
        return;
    }
#endif
    WriteUtf8(ToUtf8(text));
}

void ConsoleStream::WriteUtf8(const std::string& text) {
    FILE* file = FileOf(m_which);
    std::fwrite(text.data(), 1, text.size(), file);
    std::fflush(file);
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

bool ReadInputLine(std::string& line) {
    line.clear();
    int c;
    bool any = false;
    while ((c = std::fgetc(stdin)) != EOF) {
        any = true;
        if (c == '\n') break;
        if (c != '\r') line.push_back(static_cast<char>(c));
    }
    return any;
}

}  // namespace vantrel::cli
