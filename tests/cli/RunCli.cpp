#include "tests/cli/RunCli.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "common/Text.h"

extern char** environ;

namespace vantrel::test {

namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string TempName(const char* what) {
    char name[64];
    std::snprintf(name, sizeof name, "/tmp/vantrel-cli-%s-XXXXXX", what);
    const int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    return name;
}

}  // namespace

std::vector<std::string> CliRun::Lines() const {
    std::vector<std::string> lines;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

bool CliRun::Printed(const std::string& line) const {
    for (const std::string& l : Lines()) {
        if (l == line) return true;
    }
    return false;
}

namespace {

// Starts the CLI with standard input from `input` and its output in files.
pid_t Spawn(const std::vector<std::string>& args, const std::string& input,
            const std::string& outPath, const std::string& errPath) {
    std::vector<char*> argv;
    std::string program = VANTREL_CLI_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_TRUNC, 0600);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int Reap(pid_t pid) {
    int wstatus = 0;
    if (pid > 0 && waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus)) {
        return WEXITSTATUS(wstatus);
    }
    return -1;
}

}  // namespace

CliRun RunCliTo(const std::vector<std::string>& args, const std::string& stdoutPath) {
    const std::string errPath = TempName("err");
    CliRun run;
    run.status = Reap(Spawn(args, "/dev/null", stdoutPath, errPath));
    run.err = Slurp(errPath);
    std::remove(errPath.c_str());
    return run;
}

CliRun RunCli(const std::vector<std::string>& args, const std::string& input) {
    const std::string outPath = TempName("out");
    const std::string errPath = TempName("err");
    CliRun run;
    run.status = Reap(Spawn(args, input, outPath, errPath));
    run.out = Slurp(outPath);
    run.err = Slurp(errPath);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return run;
}

RunningCli::RunningCli(const std::vector<std::string>& args)
    : m_outPath(TempName("out")), m_errPath(TempName("err")) {
    m_pid = Spawn(args, "/dev/null", m_outPath, m_errPath);
}

RunningCli::~RunningCli() {
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        Reap(m_pid);
    }
    std::remove(m_outPath.c_str());
    std::remove(m_errPath.c_str());
}

void RunningCli::Signal(int signal) {
    if (m_pid > 0) kill(m_pid, signal);
}

std::string RunningCli::OutputSoFar() const { return Slurp(m_outPath); }

CliRun RunningCli::Wait() {
    CliRun run;
    run.status = Reap(m_pid);
    m_pid = -1;
    run.out = Slurp(m_outPath);
    run.err = Slurp(m_errPath);
    return run;
}

std::string Arg(const std::wstring& path) { return ToNativeBytes(path); }

}  // namespace vantrel::test
