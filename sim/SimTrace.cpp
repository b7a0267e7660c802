#include "sim/SimTrace.h"

namespace vantrel::sim {

std::string TraceLine(TraceDirection direction, bool bootLoader, const uint8_t* data,
                      size_t count) {
    return ReportTraceLine(direction, bootLoader ? "boot" : "app", data, count);
}

}  // namespace vantrel::sim
