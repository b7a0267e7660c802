#pragma once
// The terminal streams of a console tool. On Linux text goes out as UTF-8. On Windows
// a console gets wide text through WriteConsoleW (so Chinese texts show whatever
// the console's code page), and a pipe or file gets UTF-8 bytes. Every write is
// checked: the first failure is kept with the system's reason, so the run can end
// with a non-zero status instead of losing output without a word.

#include <mutex>
#include <string>

namespace vantrel {

// Where the view's text goes: a terminal stream, or a test's record.
class TextSink {
public:
    virtual ~TextSink() = default;
    // Writes the text as it is (no line end added) and flushes; false when it could
    // not be written whole.
    virtual bool Write(const std::wstring& text) = 0;
    // The terminal's width in columns; 0 when it is not a terminal or does not say.
    virtual int Columns() const { return 0; }
};

class ConsoleStream : public TextSink {
public:
    enum class Which { Output, Error };
    explicit ConsoleStream(Which which);

    // True when the stream is an interactive terminal (a console on Windows).
    bool IsTerminal() const { return m_terminal; }
    int Columns() const override;
    bool Write(const std::wstring& text) override;
    // Writes UTF-8 bytes as they are (for output that is already UTF-8, such as JSON).
    bool WriteUtf8(const std::string& text);

    // The reason of the first write that failed; empty while none has.
    std::wstring Failure() const;

private:
    void Fail(const std::wstring& reason);

    Which m_which;
    bool m_terminal;
    mutable std::mutex m_mutex;
    std::wstring m_failure;
};

ConsoleStream& StandardOutput();
ConsoleStream& StandardError();

// True when standard input is an interactive terminal.
bool InputIsTerminal();
// Reads one line from standard input (without its line end); false at its end.
// A Windows console is read as wide text, anything else as UTF-8.
bool ReadInputLine(std::wstring& line);

// The system's text for an errno value ("No such file or directory").
std::wstring ErrnoText(int error);
// The system's text for the code of a failed call: errno on Linux, GetLastError on
// Windows.
std::wstring SystemErrorText(unsigned long code);

}  // namespace vantrel
