#include "link/RememberingPlatform.h"

namespace vantrel {

bool RememberingPlatform::EnumerateInterfaces(std::vector<std::wstring>& paths) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Pass& pass = m_passes[std::this_thread::get_id()];
    const uint64_t count = m_changes.Value();
    pass = Pass{};
    if (m_haveList && count == m_listCount) {
        paths = m_paths;
        pass.remembered = true;
        return true;
    }
    m_haveList = false;
    m_answers.clear();
    // The count is read before the enumeration: a change during it leaves the list
    // taken as out of date, and the next Open enumerates again.
    if (!Inner().EnumerateInterfaces(paths)) return false;
    m_paths = paths;
    m_listCount = count;
    m_haveList = true;
    return true;
}

bool RememberingPlatform::QueryAttributes(const std::wstring& path, HidAttributes& attributes) {
    std::unique_lock<std::mutex> lock(m_mutex);
    const std::thread::id thread = std::this_thread::get_id();
    bool knownAnswered = false;
    if (m_passes[thread].remembered) {
        // Once an interface that had answered stops answering, the list is out of
        // date: the rest of the pass is skipped so that Open enumerates afresh at once.
        if (m_passes[thread].spoilt) return false;
        const auto known = m_answers.find(path);
        if (known != m_answers.end()) {
            if (!known->second.answered) return false;
            if (!AskedAfresh(known->second.attributes)) {
                attributes = known->second.attributes;
                return true;
            }
            knownAnswered = true;
        }
    }
    lock.unlock();
    HidAttributes asked;
    const bool answered = Inner().QueryAttributes(path, asked);
    lock.lock();
    Pass& pass = m_passes[thread];
    if (pass.remembered && knownAnswered && !answered) {
        pass.spoilt = true;
        return false;
    }
    m_answers[path] = Answer{answered, asked};
    if (answered) attributes = asked;
    return answered;
}

bool RememberingPlatform::ForgetRememberedList() {
    std::lock_guard<std::mutex> lock(m_mutex);
    const bool remembered = m_passes[std::this_thread::get_id()].remembered;
    m_passes.erase(std::this_thread::get_id());
    m_haveList = false;
    m_answers.clear();
    return remembered;
}

}  // namespace vantrel
