#pragma once
// SHA-256 of a byte string, as 64 lowercase hex digits: which file a station's log
// line names, beyond its name.

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

std::string Sha256Hex(const std::vector<uint8_t>& bytes);

}  // namespace vantrel
