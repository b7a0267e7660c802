// The system's writer claims on Windows: a named mutex per claim key in the global
// namespace, so the claim covers every session of the machine, and the system lets
// go of it when the holding process ends, however it ends (the next owner sees it
// "abandoned": its holder vanished). A mutex belongs to the thread that took it, but
// a claim is taken and let go by whichever thread the job or presence tracking runs
// on; so each claim has a small thread of its own that takes the mutex, waits for the
// claim's end and lets the mutex go. Who holds a claim is kept in a named shared
// section beside the mutex for others to read.

#include <windows.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "common/Text.h"
#include "link/WriterClaims.h"

namespace vantrel {

namespace {

constexpr DWORD kRecordSize = 512;

// A name may hold no backslash after its namespace prefix.
std::wstring NameOf(const wchar_t* prefix, const std::wstring& key) {
    std::wstring name = prefix;
    for (wchar_t c : key) name += c == L'\\' ? L'/' : c;
    return name;
}

// The mutex goes away with its last handle: a holder that was alone when it died
// leaves no abandoned mutex behind. So a holder also keeps a file in the temporary
// folder while it holds, removed before it lets go; a claim taken while that file is
// there was left by a holder that ended without letting go.
std::wstring MarkerOf(const std::wstring& key) {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    std::wstring name = length > 0 && length <= MAX_PATH ? folder : L".\\";
    name += L"vantrel-writer-";
    for (wchar_t c : key) {
        const bool plain = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') ||
                           (c >= L'0' && c <= L'9') || c == L'-' || c == L'.';
        name += plain ? c : L'_';
    }
    return name + L".claim";
}

std::string ReadRecord(const std::wstring& key) {
    HANDLE section = OpenFileMappingW(FILE_MAP_READ, FALSE,
                                      NameOf(L"Local\\vantrel-writer-holder ", key).c_str());
    if (section == nullptr) return std::string();
    std::string record;
    if (const char* view =
            static_cast<const char*>(MapViewOfFile(section, FILE_MAP_READ, 0, 0, kRecordSize))) {
        record.assign(view, strnlen(view, kRecordSize - 1));
        UnmapViewOfFile(view);
    }
    CloseHandle(section);
    return record;
}

class MutexToken : public IClaimToken {
public:
    // Starts the owning thread and waits for its attempt; Taken() tells the outcome.
    MutexToken(const std::wstring& key, const std::string* holder)
        : m_thread([this, key] { Own(key); }) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_state != State::Trying; });
        if (m_state == State::Taken && holder != nullptr) Publish(key, *holder);
    }
    ~MutexToken() override {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_letGo = true;
        }
        m_changed.notify_all();
        m_thread.join();
        if (m_section != nullptr) CloseHandle(m_section);
    }
    bool Taken() const { return m_state == State::Taken; }
    bool Abandoned() const { return m_abandoned; }

private:
    enum class State { Trying, Taken, Busy };

    void Own(const std::wstring& key) {
        HANDLE mutex =
            CreateMutexW(nullptr, FALSE, NameOf(L"Global\\vantrel-writer ", key).c_str());
        DWORD result = mutex != nullptr ? WaitForSingleObject(mutex, 0) : WAIT_FAILED;
        const bool taken = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
        const std::wstring marker = MarkerOf(key);
        bool left = false;
        if (taken) {
            left = GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
            HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_abandoned = result == WAIT_ABANDONED || left;
            m_state = taken ? State::Taken : State::Busy;
        }
        m_changed.notify_all();
        if (taken) {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [this] { return m_letGo; });
            DeleteFileW(marker.c_str());
            ReleaseMutex(mutex);
        }
        if (mutex != nullptr) CloseHandle(mutex);
    }

    void Publish(const std::wstring& key, const std::string& holder) {
        m_section =
            CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kRecordSize,
                               NameOf(L"Local\\vantrel-writer-holder ", key).c_str());
        if (m_section == nullptr) return;
        if (char* view = static_cast<char*>(MapViewOfFile(m_section, FILE_MAP_WRITE, 0, 0, 0))) {
            const size_t length = holder.size() < kRecordSize - 1 ? holder.size() : kRecordSize - 1;
            std::memcpy(view, holder.data(), length);
            view[length] = '\0';
            UnmapViewOfFile(view);
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    State m_state = State::Trying;
    bool m_abandoned = false;
    bool m_letGo = false;
    HANDLE m_section = nullptr;
    std::thread m_thread;
};

class MutexClaimBackend : public IClaimBackend {
public:
    ClaimAttempt TryTake(const std::wstring& key, const std::string* holder) override {
        ClaimAttempt attempt;
        if (holder == nullptr) {
            // Only a look: a holder keeps its record published for as long as it holds.
            attempt.heldBy = ReadRecord(key);
            if (attempt.heldBy.empty()) attempt.token = std::make_unique<IClaimToken>();
            return attempt;
        }
        auto token = std::make_unique<MutexToken>(key, holder);
        if (!token->Taken()) {
            token.reset();
            attempt.heldBy = ReadRecord(key);
            if (attempt.heldBy.empty()) attempt.heldBy = "another program";
            return attempt;
        }
        attempt.holderVanished = token->Abandoned();
        attempt.token = std::move(token);
        return attempt;
    }
};

}  // namespace

std::unique_ptr<IClaimBackend> MakeSystemClaimBackend(const std::string&) {
    return std::make_unique<MutexClaimBackend>();
}

}  // namespace vantrel
