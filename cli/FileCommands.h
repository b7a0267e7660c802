#pragma once
// The commands that work on files only: inspect, pack and seal. Each returns the
// exit status (0 success, 1 failure, 2 an argument that cannot be used).

#include "cli/Options.h"

namespace vantrel::cli {

int RunInspect(const Options& options);
int RunPack(const Options& options);
int RunSeal(const Options& options);

}  // namespace vantrel::cli
