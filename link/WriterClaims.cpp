#include "link/WriterClaims.h"

#include <ctime>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace vantrel {

class InProcessClaimBackend::Token : public IClaimToken {
public:
    Token(InProcessClaimBackend& owner, std::wstring key) : m_owner(owner), m_key(std::move(key)) {}
    ~Token() override {
        std::lock_guard<std::mutex> lock(m_owner.m_mutex);
        m_owner.m_held.erase(m_key);
    }

private:
    InProcessClaimBackend& m_owner;
    std::wstring m_key;
};

ClaimAttempt InProcessClaimBackend::TryTake(const std::wstring& key, const std::string* holder) {
    std::lock_guard<std::mutex> lock(m_mutex);
    ClaimAttempt attempt;
    const auto held = m_held.find(key);
    if (held != m_held.end()) {
        attempt.heldBy = held->second;
        return attempt;
    }
    attempt.holderVanished = m_vanished.count(key) != 0;
    if (holder == nullptr) {
        attempt.token = std::make_unique<IClaimToken>();
        return attempt;
    }
    m_held[key] = *holder;
    m_vanished.erase(key);
    attempt.token = std::make_unique<Token>(*this, key);
    return attempt;
}

void InProcessClaimBackend::LeaveVanished(const std::wstring& key) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_vanished[key] = true;
}

std::wstring ClaimKey(const std::wstring& location, const std::wstring& path, bool bootLoader) {
    if (!location.empty()) return L"at " + location;
    if (bootLoader) return L"boot loader";
    // Interface paths differ in case only on Windows, where case does not count.
    std::wstring folded = path;
    for (wchar_t& c : folded) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return L"path " + folded;
}

std::string DescribeHolder(const std::string& program, const std::string& activity) {
#ifdef _WIN32
    const unsigned long pid = GetCurrentProcessId();
#else
    const unsigned long pid = static_cast<unsigned long>(getpid());
#endif
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char clock[16];
    std::strftime(clock, sizeof clock, "%H:%M:%S", &local);
    return program + " (pid " + std::to_string(pid) + "), " + activity + " since " + clock;
}

bool WriterClaims::Hold(const std::wstring& key, std::string* heldBy, bool* holderVanished) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (holderVanished != nullptr) *holderVanished = false;
    Entry& entry = m_entries[key];
    if (entry.holds == 0) {
        const std::string holder = m_describeHolder ? m_describeHolder() : std::string();
        ClaimAttempt attempt = m_backend.TryTake(key, &holder);
        if (!attempt.token) {
            m_entries.erase(key);
            if (heldBy != nullptr) *heldBy = attempt.heldBy;
            return false;
        }
        entry.token = std::move(attempt.token);
        if (holderVanished != nullptr) *holderVanished = attempt.holderVanished;
    }
    ++entry.holds;
    return true;
}

void WriterClaims::Release(const std::wstring& key) {
    std::unique_ptr<IClaimToken> released;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto found = m_entries.find(key);
        if (found == m_entries.end()) return;
        if (--found->second.holds > 0) return;
        released = std::move(found->second.token);
        m_entries.erase(found);
    }
    // The system's claim is let go outside the lock (a Windows claim waits for its
    // owning thread).
}

bool WriterClaims::HeldHere(const std::wstring& key) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_entries.count(key) != 0;
}

bool WriterClaims::BusyElsewhere(const std::wstring& key, std::string& heldBy) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_entries.count(key) != 0) return false;
    ClaimAttempt attempt = m_backend.TryTake(key, nullptr);
    if (attempt.token) return false;
    heldBy = attempt.heldBy;
    return true;
}

}  // namespace vantrel
