#pragma once
// Trace lines of the reports that cross the simulated link, in the format of the
// tracing layer (link/ReportTrace.h).

#include <cstddef>
#include <cstdint>
#include <string>

#include "link/ReportTrace.h"

namespace vantrel::sim {

// `bootLoader` names the identity the link was opened with (0x8888) rather than
// the application's (0x0100).
std::string TraceLine(TraceDirection direction, bool bootLoader, const uint8_t* data, size_t count);

}  // namespace vantrel::sim
