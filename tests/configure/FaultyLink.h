#pragma once
// A HID platform in front of another (the simulated writer) that breaks one
// transaction on purpose: the link does not open, a report cannot be written, a
// read gets nothing, or a reply is turned into a refusal. Transactions are counted
// by the enumerations that start them (CHidDevice::Open enumerates once).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "link/HidPlatform.h"

namespace vantrel::test {

struct LinkFault {
    enum Kind { None, NoDevice, WriteFails, ReadsFail, RefuseReply } kind = None;
    int transaction = 0;  // 1 = the first transaction
    // WriteFails: the n-th report written in the transaction (1 = the command record).
    // ReadsFail: every read after n replies have been delivered in the transaction.
    // RefuseReply: the reply after n replies (0 = the first) gets status 0x90.
    int n = 0;
};

class FaultyLink : public IHidPlatform {
public:
    FaultyLink(IHidPlatform& inner, IClock& clock) : m_inner(inner), m_clock(clock) {}

    LinkFault fault;
    // Called inside every platform call with its name ("Enumerate", "Open", "Close",
    // "Write", "Read"); tests use it to look at the core while the link is in use.
    std::function<void(const char*)> onCall;

    int Transactions() const { return m_transaction; }
    // Read calls made in the transaction with the fault, including failed ones.
    int ReadCallsInFaultyTransaction() const { return m_faultyReads; }

    bool EnumerateInterfaces(std::vector<std::wstring>& paths) override;
    bool QueryAttributes(const std::wstring& path, HidAttributes& attributes) override;
    HidHandle OpenForRead(const std::wstring& path) override;
    HidHandle OpenForWrite(const std::wstring& path) override;
    void Close(HidHandle handle) override;
    HidIo Write(HidHandle handle, const uint8_t* report, uint32_t length, uint32_t timeoutMs,
                uint32_t& transferred) override;
    HidIo Read(HidHandle handle, uint8_t* report, uint32_t length, uint32_t timeoutMs,
               uint32_t& transferred) override;

private:
    bool Active(LinkFault::Kind kind) const {
        return fault.kind == kind && fault.transaction == m_transaction;
    }
    void Note(const char* call) {
        if (onCall) onCall(call);
    }

    IHidPlatform& m_inner;
    IClock& m_clock;
    int m_transaction = 0;
    int m_writes = 0;
    int m_replies = 0;
    int m_faultyReads = 0;
};

}  // namespace vantrel::test
