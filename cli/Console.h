#pragma once
// The terminal streams of vantrel-cli. On Linux text goes out as UTF-8. On Windows
// a console gets wide text through WriteConsoleW (so Chinese texts show whatever
// the console's code page), and a pipe or file gets UTF-8 bytes.

#include <string>

namespace vantrel::cli {

class ConsoleStream {
public:
    enum class Which { Output, Error };
    explicit ConsoleStream(Which which);

    // True when the stream is an interactive terminal (a console on Windows).
    bool IsTerminal() const { return m_terminal; }
    // Writes the text as it is (no line end added) and flushes.
    void Write(const std::wstring& text);
    // Writes UTF-8 bytes as they are (for output that is already UTF-8, such as JSON).
    void WriteUtf8(const std::string& text);

private:
    Which m_which;
    bool m_terminal;
};

ConsoleStream& StandardOutput();
ConsoleStream& StandardError();

// True when standard input is an interactive terminal.
bool InputIsTerminal();
// Reads one line from standard input (without its line end); false at its end.
bool ReadInputLine(std::string& line);

}  // namespace vantrel::cli
