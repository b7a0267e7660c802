#include "tests/configure/FaultyLink.h"

namespace vantrel::test {

bool FaultyLink::EnumerateInterfaces(std::vector<std::wstring>& paths) {
    ++m_transaction;
    m_writes = 0;
    m_replies = 0;
    Note("Enumerate");
    if (Active(LinkFault::NoDevice)) {
        paths.clear();
        return true;
    }
    return m_inner.EnumerateInterfaces(paths);
}

bool FaultyLink::QueryAttributes(const std::wstring& path, HidAttributes& attributes) {
    return m_inner.QueryAttributes(path, attributes);
}

HidHandle FaultyLink::OpenForRead(const std::wstring& path) {
    Note("Open");
    return m_inner.OpenForRead(path);
}

HidHandle FaultyLink::OpenForWrite(const std::wstring& path) {
    Note("Open");
    return m_inner.OpenForWrite(path);
}

void FaultyLink::Close(HidHandle handle) {
    Note("Close");
    m_inner.Close(handle);
}

HidIo FaultyLink::Write(HidHandle handle, const uint8_t* report, uint32_t length,
                        uint32_t timeoutMs, uint32_t& transferred) {
    Note("Write");
    ++m_writes;
    if (Active(LinkFault::WriteFails) && m_writes == fault.n) {
        transferred = 0;
        return HidIo::CompletedWithError;
    }
    return m_inner.Write(handle, report, length, timeoutMs, transferred);
}

HidIo FaultyLink::Read(HidHandle handle, uint8_t* report, uint32_t length, uint32_t timeoutMs,
                       uint32_t& transferred) {
    Note("Read");
    if (fault.transaction == m_transaction) ++m_faultyReads;
    if (Active(LinkFault::ReadsFail) && m_replies >= fault.n) {
        // Nothing arrives: the request waits out its time.
        transferred = 0;
        m_clock.Sleep(timeoutMs);
        return HidIo::TimedOut;
    }
    const HidIo io = m_inner.Read(handle, report, length, timeoutMs, transferred);
    if (io == HidIo::Completed && transferred > 0) {
        if (Active(LinkFault::RefuseReply) && m_replies == fault.n && transferred > 2)
            report[2] = 0x90;  // report id first: reply byte 1 is report byte 2
        ++m_replies;
    }
    return io;
}

}  // namespace vantrel::test
