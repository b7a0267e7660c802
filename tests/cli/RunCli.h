#pragma once
// Runs the vantrel-cli binary (VANTREL_CLI_PATH) as a child process with standard
// input from /dev/null, and collects what it printed and its exit status.

#include <string>
#include <vector>

namespace vantrel::test {

struct CliRun {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out;  // standard output (UTF-8)
    std::string err;  // standard error

    // Standard output split into lines (without line ends).
    std::vector<std::string> Lines() const;
    bool Printed(const std::string& line) const;
};

// Standard input comes from `input` (a path), /dev/null unless given.
CliRun RunCli(const std::vector<std::string>& args, const std::string& input = "/dev/null");
// The same with standard output sent to `stdoutPath` (such as /dev/full); `out`
// stays empty.
CliRun RunCliTo(const std::vector<std::string>& args, const std::string& stdoutPath);

// A run that goes on while the test looks at it (to interrupt it).
class RunningCli {
public:
    explicit RunningCli(const std::vector<std::string>& args);
    ~RunningCli();
    // Sends a signal to it.
    void Signal(int signal);
    // What it has printed on standard output so far.
    std::string OutputSoFar() const;
    // Waits for its end and collects what it printed.
    CliRun Wait();

private:
    int m_pid = -1;
    std::string m_outPath;
    std::string m_errPath;
};

// The bytes of a wide path, as the CLI takes its arguments on Linux.
std::string Arg(const std::wstring& path);

}  // namespace vantrel::test
