#include "protocol/WriterIdentity.h"

#include <cstdio>

namespace vantrel {

std::string TraceIdentity(uint16_t version) {
    if (version == kBootLoaderVersion) return "boot";
    if (version == kApplicationVersion) return "app";
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "v%04x", static_cast<unsigned>(version));
    return buffer;
}

}  // namespace vantrel
