#pragma once
// Trace lines of the reports that cross the simulated link, one per report:
//   OUT app <hex of the 64 data bytes written>
//   IN boot <hex of the data bytes received>
// The report id is not included; hex digits are lowercase.

#include <cstddef>
#include <cstdint>
#include <string>

namespace vantrel::sim {

enum class TraceDirection { Out, In };

std::string HexBytes(const uint8_t* bytes, size_t count);
// `bootLoader` names the identity the link was opened with (0x8888) rather than
// the application's (0x0100).
std::string TraceLine(TraceDirection direction, bool bootLoader, const uint8_t* data, size_t count);

}  // namespace vantrel::sim
