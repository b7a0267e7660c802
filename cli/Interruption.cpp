#include "cli/Interruption.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "cli/ResultOutput.h"
#include "common/Text.h"
#include "upgrade/FirmwareImage.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace vantrel::cli {

namespace {

enum Place : int {
    kUntouched,
    kConfiguring,
    kConfigured,
    kEnteringBootLoader,
    kInBootLoader,
    kErasing,
    kProgramming,
    kReset,
};

std::atomic<int> g_place{kUntouched};
std::atomic<int> g_page{0};
std::atomic<const char*> g_step{""};
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
#ifndef _WIN32
int g_wakePipe[2] = {-1, -1};
#endif

bool Is(const char* name, const char* wanted) { return std::strcmp(name, wanted) == 0; }

// Appends to a fixed buffer, always leaving it terminated.
class Text {
public:
    Text(char* buffer, size_t size) : m_buffer(buffer), m_size(size) {
        if (m_size > 0) m_buffer[0] = '\0';
    }
    Text& operator<<(const char* text) {
        while (*text != '\0' && m_length + 1 < m_size) m_buffer[m_length++] = *text++;
        if (m_size > 0) m_buffer[m_length] = '\0';
        return *this;
    }
    Text& operator<<(int number) {
        char digits[12];
        int n = 0;
        unsigned value = number < 0 ? 0u : static_cast<unsigned>(number);
        do {
            digits[n++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0 && n < 11);
        char text[12];
        for (int i = 0; i < n; ++i) text[i] = digits[n - 1 - i];
        text[n] = '\0';
        return *this << static_cast<const char*>(text);
    }
    size_t Length() const { return m_length; }

private:
    char* m_buffer;
    size_t m_size;
    size_t m_length = 0;
};

void SayAndExit() {
    // With --json the run's final object and this one exclude each other: once the
    // final object has begun, the run ends as it would have without the interruption.
    static std::atomic<bool> tookOver{false};
    const bool first = TakeOverForInterruption();
    if (!first && !tookOver.load()) return;
    tookOver = true;
    char line[256];
    Text text(line, sizeof line - 1);
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
    Text message(line, sizeof line);
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
    // Each event runs on a thread of its own, which may wait here.
    if (!FirstInterruptionWaits()) SayAndExit();
    StopAtBoundary();
    return TRUE;
}
#else
void OnSignal(int) {
    if (!FirstInterruptionWaits()) SayAndExit();
    const char wake = 1;
    const ssize_t ignored = write(g_wakePipe[1], &wake, 1);
    (void)ignored;
}

// The thread that waits for the boundary: a signal handler cannot.
void WatchForInterruption() {
    char wake;
    while (read(g_wakePipe[0], &wake, 1) < 0 && errno == EINTR) {
    }
    StopAtBoundary();
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

void NoteWriterCommand(const WireCommand& command) {
    if (command.name == nullptr) return;
    const char* name = command.name;
    const int place = g_place.load();
    int next = place;
    if (Is(name, "QueryWriterLevel")) {
        // A question only.
    } else if (Is(name, "DisConnectWriter")) {
        next = kConfigured;
    } else if (!command.boot && !Is(name, "EnterLdrom")) {
        next = kConfiguring;
    } else if (Is(name, "EnterLdrom")) {
        next = kEnteringBootLoader;
    } else if (Is(name, "QueryBootLoader")) {
        if (place < kInBootLoader) next = kInBootLoader;
    } else if (Is(name, "EraseApromPage")) {
        next = kErasing;
    } else if (Is(name, "ProgramApromPage") || Is(name, "ReadApromChecksum")) {
        next = kProgramming;
    } else if (Is(name, "SystemReset")) {
        next = kReset;
    }
    if (command.page >= 0) g_page = command.page;
    g_step = name;
    g_place = next;
}

void NoteBarOpen(bool open) { g_barOpen = open; }

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
    Text text(buffer, size);
    const int pages = static_cast<int>(kPageCount);
    switch (g_place.load()) {
        case kUntouched:
            text << (g_writerCommand.load() ? "nothing was changed on the writer"
                                            : "no output file was written");
            break;
        case kConfiguring:
            text << "the writer is left with its configuration sent only up to " << g_step.load()
                 << ": run configure again";
            break;
        case kConfigured:
            text << "the writer had received its whole configuration";
            break;
        case kEnteringBootLoader:
            text << "the writer is left restarting into its boot loader: run upgrade again";
            break;
        case kInBootLoader:
            text << "the writer is left in its boot loader: run upgrade again";
            break;
        case kErasing:
            text << "the writer is left in its boot loader with its firmware erased up to page "
                 << g_page.load() + 1 << " of " << pages << ": run upgrade again";
            break;
        case kProgramming:
            text << "the writer is left in its boot loader with its firmware programmed up to "
                    "page "
                 << g_page.load() + 1 << " of " << pages << ": run upgrade again";
            break;
        default:
            text << "the writer was reset into its new firmware";
            break;
    }
    return text.Length();
}

void ResetWriterWhereabouts() {
    g_stopping = false;
    g_place = kUntouched;
    g_page = 0;
    g_step = "";
    g_barOpen = false;
}

}  // namespace vantrel::cli
