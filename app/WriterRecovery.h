#pragma once
// Brings back a writer whose last run vanished in the middle of a transfer, in
// whichever firmware it runs now (its HID version tells which), before a job or a
// presence query talks to it.

#include <cstdint>
#include <string>

#include "link/HidPlatform.h"
#include "link/TransferRecovery.h"

namespace vantrel {

RecoveryOutcome RecoverWriter(IHidPlatform& platform, const std::wstring& path,
                              uint16_t versionNumber, uint32_t* fillers = nullptr);

// Whether the writer can be used after `outcome`.
inline bool WriterUsable(RecoveryOutcome outcome) {
    return outcome == RecoveryOutcome::Idle || outcome == RecoveryOutcome::Recovered;
}

}  // namespace vantrel
