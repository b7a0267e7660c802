#pragma once
// What every writer command of vantrel-cli sets up before it addresses a writer:
// the simulated bus's options, the check of every output against the inputs, the
// system's backend and the claims' backend.

#include <memory>
#include <string>
#include <vector>

#include "app/JobRun.h"
#include "cli/Options.h"
#include "link/DeviceEvents.h"
#include "link/OsBackend.h"
#include "link/WriterClaims.h"
#include "sim/SimOptions.h"
#include "sim/SimWriterBus.h"

namespace vantrel::cli {

// "vantrel-cli: TEXT" on standard error, kept for the JSON result.
void UsageProblem(const std::wstring& text);

// Checks the arguments that the run depends on and fills the options of the
// simulated writers; false (after saying why) when one cannot be used.
bool PrepareSimOptions(const Options& options, std::vector<sim::SimOptions>& writers);

// The job of configure or upgrade: its file read once (the job uses these bytes,
// not the file again) and checked, with what the check notes printed as warnings.
// false (after saying why) when the file cannot be read; `refusal` holds the lines
// of a file the job would refuse.
bool ReadJobRequest(const Options& options, JobRequest& request,
                    std::vector<std::wstring>& refusal);

// The files the run reads: no output may be one of them.
std::vector<std::wstring> RunInputs(const Options& options, bool needsFile);

// Every output checked before the run addresses a writer; false after saying why
// one is refused.
bool CheckOutputs(const Options& options, const std::vector<std::wstring>& inputs);

// The system's backend as the CLI uses it.
std::unique_ptr<OsBackend> MakeCliBackend();

// The claims' backend: the system's for real writers; for simulated ones none (the
// process's own, SimulatedWriterClaims), unless VANTREL_SIM_CLAIM_FOLDER names a
// folder for their lock files, so that tests can play a second process.
std::unique_ptr<IClaimBackend> MakeClaimBackend(bool simulated);

// The claims of the simulated writers: they belong to this process alone.
InProcessClaimBackend& SimulatedWriterClaims();

}  // namespace vantrel::cli
