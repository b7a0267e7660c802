#include "configure/ApplicationRecovery.h"

#include "protocol/ApplicationProtocol.h"

namespace vantrel {

namespace {

constexpr uint8_t kDefaultCommandFamily = 2;
constexpr uint32_t kAnswerWaitMs = 500;
// A 16-bit length of data bytes, in 64-byte reports.
constexpr uint32_t kLongestTransferReports = (0xFFFF + 63) / 64;

}  // namespace

PendingTransferProbe ApplicationProbe() {
    PendingTransferProbe probe;
    probe.question[0] = kDefaultCommandFamily;
    probe.question[1] = kRequestControl;
    for (int i = 0; i < 4; ++i) {
        probe.question[2 + i] = static_cast<uint8_t>(command_word::kQueryWriterLevel >> (8 * i));
    }
    probe.maxFillers = kLongestTransferReports;
    probe.answerWaitMs = kAnswerWaitMs;
    probe.askAfterEachFiller = false;
    return probe;
}

}  // namespace vantrel
