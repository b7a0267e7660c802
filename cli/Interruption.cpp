#include "cli/Interruption.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>

#include "app/WriterWhereabouts.h"
#include "cli/ResultOutput.h"
#include "common/FixedText.h"
#include "common/Text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace vantrel::cli {

namespace {

WriterWhereabouts g_whereabouts;
std::atomic<bool> g_barOpen{false};
std::atomic<bool> g_writerCommand{true};

// The unfinished file's name as the system takes it, copied before the flag is set.
#ifdef _WIN32
wchar_t g_unfinished[4096];
#else
char g_unfinished[4096];
#endif
std::atomic<bool> g_hasUnfinished{false};

// The boundary: the gate to wait for, and whether an interruption is under way.
std::mutex g_boundaryMutex;
std::atomic<std::mutex*> g_gate{nullptr};
std::atomic<bool> g_stopping{false};
// A handler of the front end's own (a station): it hears every interruption, in
// order, on a thread that may lock and print.
// Replaced under its mutex, and called under it, so that the front end never takes
// it away (or the objects it uses) while it runs.
std::mutex g_handlerMutex;
std::function<void(int)> g_handler;
std::atomic<bool> g_hasHandler{false};
std::atomic<int> g_interruptions{0};

// false when no handler was there to call.
bool CallHandler() {
    std::lock_guard<std::mutex> lock(g_handlerMutex);
    if (!g_handler) return false;
    g_handler(++g_interruptions);
    return true;
}
#ifndef _WIN32
int g_wakePipe[2] = {-1, -1};
#endif

void SayAndExit() {
    // With --json the run's final object and this one exclude each other: once the
    // final object has begun, the run ends as it would have without the interruption.
    static std::atomic<bool> tookOver{false};
    const bool first = TakeOverForInterruption();
    if (!first && !tookOver.load()) return;
    tookOver = true;
    char line[256];
    FixedText text(line, sizeof line - 1);
    if (g_barOpen.load()) text << "\n";
    text << "vantrel-cli: interrupted: ";
    const size_t prefix = text.Length();
    DescribeWhereTheWriterIs(line + prefix, sizeof line - 1 - prefix);
    if (first) WriteInterruptedJson(line + prefix);
    size_t length = std::strlen(line);
    line[length++] = '\n';
    RemoveUnfinishedFile();
#ifdef _WIN32
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, static_cast<DWORD>(length), &written, nullptr);
    ExitProcess(kInterruptedStatus);
#else
    const ssize_t ignored = write(STDERR_FILENO, line, length);
    (void)ignored;
    _exit(kInterruptedStatus);
#endif
}

void WriteError(const char* text) {
    char line[256];
    FixedText message(line, sizeof line);
    if (g_barOpen.exchange(false)) message << "\n";
    message << text;
#ifdef _WIN32
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, static_cast<DWORD>(message.Length()), &written,
              nullptr);
#else
    const ssize_t ignored = write(STDERR_FILENO, line, message.Length());
    (void)ignored;
#endif
}

// Waits until the transaction in progress has ended and keeps the gate, so that no
// other one starts, then stops the run.
void StopAtBoundary() {
    WriteError(
        "vantrel-cli: interrupted: finishing the transfer in progress first (interrupt again "
        "to stop at once)\n");
    std::lock_guard<std::mutex> boundary(g_boundaryMutex);
    std::mutex* gate = g_gate.load();
    if (gate != nullptr) gate->lock();
    SayAndExit();
    // The run's own result had begun: it ends as it would have.
    if (gate != nullptr) gate->unlock();
}

// The first interruption waits for the boundary, where there is one; a second one,
// or one with no writer command running, stops at once.
bool FirstInterruptionWaits() {
#ifndef _WIN32
    if (g_wakePipe[1] < 0) return false;  // no watcher to wait with
#endif
    return !g_stopping.exchange(true) && g_gate.load() != nullptr;
}

#ifdef _WIN32
BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
        return FALSE;
    }
    if (g_hasHandler.load() && CallHandler()) return TRUE;
    // Each event runs on a thread of its own, which may wait here.
    if (!FirstInterruptionWaits()) SayAndExit();
    StopAtBoundary();
    return TRUE;
}
#else
void OnSignal(int) {
    if (g_hasHandler.load() && g_wakePipe[1] >= 0) {
        const char wake = 1;
        const ssize_t ignored = write(g_wakePipe[1], &wake, 1);
        (void)ignored;
        return;
    }
    if (!FirstInterruptionWaits()) SayAndExit();
    const char wake = 1;
    const ssize_t ignored = write(g_wakePipe[1], &wake, 1);
    (void)ignored;
}

// The thread that waits for the boundary: a signal handler cannot.
void WatchForInterruption() {
    for (;;) {
        char wake;
        const ssize_t got = read(g_wakePipe[0], &wake, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return;
        if (!CallHandler()) StopAtBoundary();
    }
}
#endif

}  // namespace

void InstallInterruptHandlers(bool writerCommand) {
    g_writerCommand = writerCommand;
    static std::atomic<bool> installed{false};
    if (installed.exchange(true)) return;
#ifdef _WIN32
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
#else
    if (pipe2(g_wakePipe, O_CLOEXEC) == 0) {
        std::thread(WatchForInterruption).detach();
    } else {
        g_wakePipe[0] = g_wakePipe[1] = -1;
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    // Output into a pipe whose reader went away must not end an upgrade half-way:
    // the write fails instead (and the run's status says so at the end).
    signal(SIGPIPE, SIG_IGN);
#endif
}

void NoteWriterCommand(const WireCommand& command) { g_whereabouts.Note(command); }

void NoteBarOpen(bool open) { g_barOpen = open; }

void SetInterruptHandler(std::function<void(int)> handler) {
    std::lock_guard<std::mutex> lock(g_handlerMutex);
    g_handler = std::move(handler);
    g_hasHandler = static_cast<bool>(g_handler);
}

void SetInterruptBoundary(std::mutex* gate) {
    std::lock_guard<std::mutex> boundary(g_boundaryMutex);
    g_gate = gate;
}

void NoteUnfinishedFile(const std::wstring& path) {
    g_hasUnfinished = false;
#ifdef _WIN32
    const std::wstring& name = path;
#else
    const std::string name = ToNativeBytes(path);
#endif
    // A name too long for the buffer is not noted (and would be left behind).
    if (name.size() >= sizeof g_unfinished / sizeof g_unfinished[0]) return;
    std::copy(name.begin(), name.end(), g_unfinished);
    g_unfinished[name.size()] = 0;
    g_hasUnfinished = true;
}

void ForgetUnfinishedFile() { g_hasUnfinished = false; }

UnfinishedFileHooks InterruptionFileHooks() {
    UnfinishedFileHooks hooks;
    hooks.note = &NoteUnfinishedFile;
    hooks.forget = &ForgetUnfinishedFile;
    return hooks;
}

void RemoveUnfinishedFile() {
    if (!g_hasUnfinished.exchange(false)) return;
#ifdef _WIN32
    DeleteFileW(g_unfinished);
#else
    unlink(g_unfinished);
#endif
}

size_t DescribeWhereTheWriterIs(char* buffer, size_t size) {
    return g_whereabouts.Describe(buffer, size, g_writerCommand.load());
}

void ResetWriterWhereabouts() {
    g_stopping = false;
    g_whereabouts.Reset();
    g_barOpen = false;
}

}  // namespace vantrel::cli
