#pragma once
// One line of a report trace, for each report that crosses the link:
//   OUT app <hex digits of the data bytes written>
//   IN boot <hex digits of the data bytes received>
// The report id is not included; hex digits are lowercase. The tracing layer and
// the simulated writer write the same lines.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

enum class TraceDirection { Out, In };

std::string HexBytes(const uint8_t* bytes, size_t count);
// `identity`: how the interface is named ("app", "boot").
std::string ReportTraceLine(TraceDirection direction, std::string_view identity,
                            const uint8_t* data, size_t count);

}  // namespace vantrel
