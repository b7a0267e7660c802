#pragma once
// The claim of the writer a job is going to use, taken before the job sends the
// writer anything and kept to the run's end, and the recovery of a writer whose
// last holder vanished in the middle of a transfer.

#include <cstdint>
#include <functional>
#include <string>

#include "app/AttachedWriters.h"
#include "common/Clock.h"
#include "link/ClaimingPlatform.h"
#include "link/WriterClaims.h"

namespace vantrel {

struct JobClaimRequest {
    // An upgrade restarts the writer into its boot loader: where the writer's location
    // is unknown, that restart is claimed machine-wide too.
    bool upgrade = false;
    // Wait for a busy writer at most `waitSeconds` instead of giving up at once.
    bool wait = false;
    uint32_t waitSeconds = 0;
};

// Holds the claims of `writer` for a job. `below` is the platform under the claiming
// layer (the recovery's reports must not wait for a claim the run already holds).
// `say` hears the run's own texts (busy, waiting, recovered). false after saying why
// the job cannot use the writer: it is busy, or it does not answer after an
// interrupted transfer; the run ends as one that found no writer.
bool ClaimWriterForJob(const JobClaimRequest& request, IClock& clock, WriterClaims& claims,
                       ClaimingPlatform& claiming, IHidPlatform& below,
                       const AttachedWriter& writer,
                       const std::function<void(const std::wstring&)>& say);

}  // namespace vantrel
