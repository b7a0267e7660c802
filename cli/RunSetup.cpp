#include "cli/RunSetup.h"

#include <algorithm>
#include <cstdlib>

#include "cli/ResultOutput.h"
#include "common/Console.h"
#include "common/FileRead.h"
#include "common/OutputFile.h"
#include "common/ShownText.h"
#include "common/Text.h"
#include "protocol/WriterIdentity.h"
#include "sim/SimBusOptions.h"

namespace vantrel::cli {

void UsageProblem(const std::wstring& text) {
    NoteOwnText(text);
    StandardError().Write(L"vantrel-cli: " + text + L"\n");
}

// Checks the arguments that the run depends on and fills the options of the
// simulated writers; false (after saying why) when one cannot be used.
bool PrepareSimOptions(const Options& options, std::vector<sim::SimOptions>& writers) {
    sim::SimBusArguments arguments;
    arguments.writers = options.simWriters;
    arguments.startInBootLoader = options.simBoot;
    arguments.writerLevel = options.simLevel;
    for (const std::string& text : options.simFaults) arguments.faults.push_back(FromUtf8(text));
    arguments.apromIn = options.simApromIn;
    arguments.arriveAfter = options.simArriveAfter;
    arguments.apromOut = options.simApromOut;
    std::wstring error;
    if (sim::ReadSimBusOptions(arguments, writers, error)) return true;
    UsageProblem(error);
    return false;
}

// The files the run reads: no output may be one of them.
std::vector<std::wstring> RunInputs(const Options& options, bool needsFile) {
    std::vector<std::wstring> inputs;
    if (needsFile) inputs.push_back(options.file);
    for (const std::wstring& text : options.simApromIn) {
        inputs.push_back(sim::FileOfWriterArgument(text, options.simWriters));
    }
    return inputs;
}

// Every output checked before the run addresses a writer; false after saying why
// one is refused.
bool CheckOutputs(const Options& options, const std::vector<std::wstring>& inputs) {
    std::vector<std::wstring> refusals;
    if (!options.trace.empty()) {
        const std::wstring problem = OutputProblem(options.trace, inputs, true);
        refusals.push_back(problem.empty() ? problem
                                           : L"cannot create the trace file '" +
                                                 ShownPath(options.trace) + L"': " + problem);
    }
    // An existing trace is one of the files it may not replace; a new one is told
    // by its name.
    std::vector<std::wstring> kept = inputs;
    if (!options.trace.empty()) kept.push_back(options.trace);
    for (const std::wstring& text : options.simApromOut) {
        const std::wstring file = sim::FileOfWriterArgument(text, options.simWriters);
        refusals.push_back(file == options.trace
                               ? L"cannot write '" + ShownPath(file) + L"': it is the trace file"
                               : OutputRefusal(file, kept));
    }
    for (const std::wstring& refusal : refusals) {
        if (!refusal.empty()) UsageProblem(refusal);
    }
    return std::all_of(refusals.begin(), refusals.end(),
                       [](const std::wstring& refusal) { return refusal.empty(); });
}

bool ReadJobRequest(const Options& options, JobRequest& request,
                    std::vector<std::wstring>& refusal) {
    std::wstring problem;
    if (!ReadInputFile(options.file, request.bytes, problem)) {
        UsageProblem(L"cannot read '" + ShownPath(options.file) + L"': " + problem);
        return false;
    }
    request.kind = options.command == Command::Configure ? JobKind::Configure : JobKind::Upgrade;
    request.file = options.file;
    request.wideOptions = options.wideOptions;
    request.force = options.force;
    std::vector<std::wstring> warnings;
    refusal = CheckJobFile(request, warnings);
    for (const std::wstring& line : warnings) {
        StandardError().Write(L"vantrel-cli: warning: " + line + L"\n");
    }
    return true;
}

std::unique_ptr<OsBackend> MakeCliBackend() {
    // Open may reuse the last interface list while no device came or went: the
    // tool opens the link for every command, and a full enumeration each time is
    // most of an upgrade's time on Windows.
    OsBackendPolicy policy;
    policy.rememberInterfaces = true;
    policy.freshVendorId = kBootLoaderVendorId;
    policy.freshProductId = kBootLoaderProductId;
    return MakeOsBackend(policy);
}

std::unique_ptr<IClaimBackend> MakeClaimBackend(bool simulated) {
    const char* simClaimFolder = std::getenv("VANTREL_SIM_CLAIM_FOLDER");
    if (!simulated) return MakeSystemClaimBackend();
    if (simClaimFolder != nullptr && *simClaimFolder != '\0') {
        return MakeSystemClaimBackend(simClaimFolder);
    }
    return nullptr;
}

InProcessClaimBackend& SimulatedWriterClaims() {
    static InProcessClaimBackend claims;
    return claims;
}

}  // namespace vantrel::cli
