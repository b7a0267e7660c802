#include "upgrade/BootLoaderRecovery.h"

#include <cstring>

#include "upgrade/BootLoaderCommands.h"
#include "upgrade/FirmwareImage.h"

namespace vantrel {

namespace {

constexpr uint32_t kAnswerWaitMs = 500;

}  // namespace

PendingTransferProbe BootLoaderProbe() {
    PendingTransferProbe probe;
    // QueryBootLoader: 05 05, command word 0, length 1.
    probe.question[0] = kBootLoaderFamily;
    probe.question[1] = kQueryRequest;
    probe.question[6] = 1;
    std::memset(probe.filler, 0xFF, sizeof probe.filler);
    probe.maxFillers = kPageSize / 64;
    probe.answerWaitMs = kAnswerWaitMs;
    probe.askAfterEachFiller = true;
    return probe;
}

}  // namespace vantrel
