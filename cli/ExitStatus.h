#pragma once
// The exit statuses of vantrel-cli, on which scripts rely.

#include "app/JobRun.h"

namespace vantrel::cli {

constexpr int kExitOk = 0;
// The job failed on the writer: a refusal, no answer, a wrong checksum, a writer
// that did not come back.
constexpr int kExitFailed = 1;
// A usage error, or an argument that cannot be read or written.
constexpr int kExitUsage = 2;
// No writer was found, or it cannot be opened.
constexpr int kExitNoWriter = 3;
// A file was refused by its own checks before the writer was touched.
constexpr int kExitFileRefused = 4;

// The one map from how a writer job ended to the class of the run's exit.
constexpr int ExitClass(JobOutcome outcome) {
    switch (outcome) {
        case JobOutcome::Succeeded:
            return kExitOk;
        case JobOutcome::NoWriter:
            return kExitNoWriter;
        case JobOutcome::FileRefused:
            return kExitFileRefused;
        case JobOutcome::Failed:
        case JobOutcome::NotBack:
            break;
    }
    return kExitFailed;
}

}  // namespace vantrel::cli
