#pragma once
// Brings back a writer left in the middle of a transfer: a command whose data
// reports did not all arrive (the run that sent it was killed, crashed, or another
// tool broke in). The firmware then takes every report that comes as data until the
// transfer is complete, so the next run's commands vanish and their answers never
// come. The firmware is asked a harmless question; when it does not answer, filler
// reports, which are no command of that firmware, complete the pending transfer one
// at a time, bounded by the longest transfer there can be, until the question is
// answered. The interrupted transfer's target is written again by the next job.

#include <cstdint>
#include <string>

#include "common/Clock.h"
#include "link/HidPlatform.h"

namespace vantrel {

struct PendingTransferProbe {
    uint8_t question[64] = {};  // answered at once by the idle firmware
    uint8_t filler[64] = {};    // taken as data while a transfer is pending, else ignored
    uint32_t maxFillers = 0;    // the most data reports a transfer can still be waiting for
    uint32_t answerWaitMs = 0;  // how long an idle firmware may take to answer
    // true: the question is asked again after every filler (a pending transfer ends
    // without an answer of its own). false: fillers follow one another until an answer
    // arrives (the firmware answers the end of a transfer), then the question confirms.
    bool askAfterEachFiller = true;
};

enum class RecoveryOutcome {
    Idle,        // the firmware answered at once: nothing was pending
    Recovered,   // it answered after `fillers` fillers
    NoAnswer,    // it never answered: only a restart (unplug, plug in) brings it back
    CannotOpen,  // the interface does not open
};

RecoveryOutcome RecoverPendingTransfer(IHidPlatform& platform, const std::wstring& path,
                                       const PendingTransferProbe& probe,
                                       uint32_t* fillers = nullptr);

}  // namespace vantrel
