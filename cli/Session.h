#pragma once
// The commands that talk to a writer (status, configure, upgrade): the front end's
// main thread plays the dialog's user-interface thread around a CVantrelCore.

#include "cli/Options.h"
#include "link/WriterClaims.h"

namespace vantrel::cli {

// Runs status, configure or upgrade; returns the exit status (cli/ExitStatus.h).
int RunWriterCommand(const Options& options);

// The claims of the simulated writers: they belong to this process alone.
InProcessClaimBackend& SimulatedWriterClaims();

}  // namespace vantrel::cli
