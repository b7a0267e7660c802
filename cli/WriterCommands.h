#pragma once
// The commands that talk to a writer (status, list, configure, upgrade): the front end's
// main thread plays the dialog's user-interface thread around a CVantrelCore.

#include "cli/Options.h"
#include "link/WriterClaims.h"

namespace vantrel::cli {

// The writer commands; each returns the exit status (cli/ExitStatus.h).
int RunStatus(const Options& options);
int RunList(const Options& options);
int RunConfigure(const Options& options);
int RunUpgrade(const Options& options);

// The claims of the simulated writers: they belong to this process alone.
InProcessClaimBackend& SimulatedWriterClaims();

}  // namespace vantrel::cli
