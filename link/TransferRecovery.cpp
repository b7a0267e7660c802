#include "link/TransferRecovery.h"

#include <cstring>

namespace vantrel {

namespace {

constexpr uint32_t kWriteWaitMs = 4000;
constexpr uint32_t kReportLength = 65;  // report id 0, then 64 data bytes
// Answers that a drain reads at most (stale answers queued for this handle).
constexpr int kMaxDrained = 64;

class Link {
public:
    Link(IHidPlatform& platform, const std::wstring& path)
        : m_platform(platform),
          m_read(platform.OpenForRead(path)),
          m_write(platform.OpenForWrite(path)) {}
    ~Link() {
        if (m_read != kInvalidHidHandle) m_platform.Close(m_read);
        if (m_write != kInvalidHidHandle) m_platform.Close(m_write);
    }
    bool Opened() const { return m_read != kInvalidHidHandle && m_write != kInvalidHidHandle; }

    bool Send(const uint8_t* data) {
        uint8_t report[kReportLength] = {};
        std::memcpy(report + 1, data, 64);
        uint32_t written = 0;
        return m_platform.Write(m_write, report, kReportLength, kWriteWaitMs, written) ==
               HidIo::Completed;
    }
    // Whether an input report arrives within `waitMs`.
    bool Answered(uint32_t waitMs) {
        uint8_t report[kReportLength];
        uint32_t received = 0;
        return m_platform.Read(m_read, report, kReportLength, waitMs, received) ==
                   HidIo::Completed &&
               received > 0;
    }
    void Drain() {
        for (int i = 0; i < kMaxDrained && Answered(0); ++i) {
        }
    }

private:
    IHidPlatform& m_platform;
    HidHandle m_read;
    HidHandle m_write;
};

}  // namespace

RecoveryOutcome RecoverPendingTransfer(IHidPlatform& platform, const std::wstring& path,
                                       const PendingTransferProbe& probe, uint32_t* fillers) {
    if (fillers != nullptr) *fillers = 0;
    Link link(platform, path);
    if (!link.Opened()) return RecoveryOutcome::CannotOpen;
    link.Drain();
    if (!link.Send(probe.question)) return RecoveryOutcome::NoAnswer;
    if (link.Answered(probe.answerWaitMs)) return RecoveryOutcome::Idle;

    for (uint32_t sent = 1; sent <= probe.maxFillers; ++sent) {
        if (!link.Send(probe.filler)) return RecoveryOutcome::NoAnswer;
        if (fillers != nullptr) *fillers = sent;
        if (probe.askAfterEachFiller) {
            if (!link.Send(probe.question)) return RecoveryOutcome::NoAnswer;
            if (link.Answered(probe.answerWaitMs)) return RecoveryOutcome::Recovered;
        } else if (link.Answered(1)) {
            // The transfer has ended; what follows tells whether the firmware is idle.
            link.Drain();
            if (!link.Send(probe.question)) return RecoveryOutcome::NoAnswer;
            return link.Answered(probe.answerWaitMs) ? RecoveryOutcome::Recovered
                                                     : RecoveryOutcome::NoAnswer;
        }
    }
    return RecoveryOutcome::NoAnswer;
}

}  // namespace vantrel
