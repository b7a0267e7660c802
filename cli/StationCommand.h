#pragma once
// configure --all and upgrade --all: the station (app/Station) with its display,
// its log and its exit status.

#include "cli/Options.h"

namespace vantrel::cli {

int RunStation(const Options& options);

}  // namespace vantrel::cli
