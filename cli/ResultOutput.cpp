#include "cli/ResultOutput.h"

#include <atomic>
#include <mutex>
#include <vector>

#include "cli/Interruption.h"
#include "common/Console.h"
#include "common/Json.h"
#include "common/Text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace vantrel::cli {

namespace {

enum Owner : int { kNobody, kFinalObject, kInterruption };

std::atomic<int> g_owner{kNobody};
std::atomic<bool> g_json{false};
// The command name, copied before the flag is set, so the handler reads it as is.
char g_command[32];

std::mutex g_textsMutex;
std::vector<std::wstring> g_ownTexts;

// Builds the interruption's object in a fixed buffer, always leaving room for the
// line end.
class Line {
public:
    void Raw(const char* text) {
        while (*text != '\0') Byte(*text++);
    }
    // A JSON string's contents: quotes, backslashes, control characters, DEL and the
    // C1 characters (UTF-8 C2 80 .. C2 9F) escaped.
    void Escaped(const char* text) {
        static const char kHex[] = "0123456789abcdef";
        for (const auto* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
            unsigned code = *p;
            if (code == 0xC2 && p[1] >= 0x80 && p[1] <= 0x9F) code = *++p;
            if (code == '"' || code == '\\') {
                Byte('\\');
                Byte(static_cast<char>(code));
            } else if (code < 0x20 || (code >= 0x7F && code <= 0x9F)) {
                const char escape[] = {'\\', 'u', '0', '0', kHex[code >> 4], kHex[code & 15], 0};
                Raw(escape);
            } else {
                Byte(static_cast<char>(code));
            }
        }
    }
    void End() { m_buffer[m_length++] = '\n'; }
    const char* Data() const { return m_buffer; }
    size_t Length() const { return m_length; }

private:
    void Byte(char c) {
        if (m_length + 1 < sizeof m_buffer) m_buffer[m_length++] = c;
    }
    char m_buffer[2048];
    size_t m_length = 0;
};

void WriteToStandardOutput(const char* data, size_t length) {
    while (length > 0) {
#ifdef _WIN32
        DWORD written = 0;
        if (!WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), data, static_cast<DWORD>(length), &written,
                       nullptr) ||
            written == 0) {
            return;
        }
#else
        const ssize_t written = write(STDOUT_FILENO, data, length);
        if (written <= 0) return;
#endif
        data += written;
        length -= static_cast<size_t>(written);
    }
}

}  // namespace

void SetJsonRun(bool json, const char* command) {
    g_json = false;
    size_t n = 0;
    if (command != nullptr) {
        for (; command[n] != '\0' && n + 1 < sizeof g_command; ++n) g_command[n] = command[n];
    }
    g_command[n] = '\0';
    g_json = json;
}

bool IsJsonRun() { return g_json.load(); }

bool PrintFinalJson(const std::string& line) {
    int expected = kNobody;
    if (!g_owner.compare_exchange_strong(expected, kFinalObject)) return false;
    StandardOutput().WriteUtf8(line);
    return true;
}

void NoteOwnText(const std::wstring& text) {
    std::lock_guard<std::mutex> lock(g_textsMutex);
    g_ownTexts.push_back(text);
}

std::string EarlyEndJson(int status) {
    OrderedJson j;
    j["ok"] = status == 0;
    j["exit"] = status;
    j["command"] = g_command[0] != '\0' ? OrderedJson(g_command) : OrderedJson();
    OrderedJson texts = OrderedJson::array();
    {
        std::lock_guard<std::mutex> lock(g_textsMutex);
        for (const std::wstring& text : g_ownTexts) {
            texts.push_back({{"where", "cli"}, {"text", ToUtf8(text)}});
        }
    }
    j["texts"] = texts;
    return JsonText(j, true);
}

bool TakeOverForInterruption() {
    int expected = kNobody;
    return g_owner.compare_exchange_strong(expected, kInterruption);
}

void WriteInterruptedJson(const char* writerLeft) {
    if (!g_json.load()) return;
    Line line;
    line.Raw("{\"ok\":false,\"exit\":");
    char exit[] = {static_cast<char>('0' + kInterruptedStatus / 100),
                   static_cast<char>('0' + kInterruptedStatus / 10 % 10),
                   static_cast<char>('0' + kInterruptedStatus % 10), 0};
    line.Raw(exit);
    if (g_command[0] != '\0') {
        line.Raw(",\"command\":\"");
        line.Escaped(g_command);
        line.Raw("\"");
    }
    line.Raw(",\"interrupted\":true,\"writer_left\":\"");
    line.Escaped(writerLeft);
    line.Raw("\",\"texts\":[{\"where\":\"cli\",\"text\":\"");
    line.Escaped(writerLeft);
    line.Raw("\"}]}");
    line.End();
    WriteToStandardOutput(line.Data(), line.Length());
}

void ResetResultOutput() {
    g_owner = kNobody;
    SetJsonRun(false, nullptr);
    std::lock_guard<std::mutex> lock(g_textsMutex);
    g_ownTexts.clear();
}

}  // namespace vantrel::cli
