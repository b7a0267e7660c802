#pragma once
// What a station records: the log line of each finished job (one JSON object), for traceability:
// which writer got which file when, and how it went.

#include <string>
#include <vector>

#include "app/Station.h"
#include "common/Json.h"

namespace vantrel {

// The log line of a finished job, without its exit class ("exit"), which the front
// end adds: time (UTC), location, path, command, file, its SHA-256, for a
// configuration the IC name and checksums, the texts, ok and seconds.
OrderedJson StationLogLine(const StationJobResult& job, const std::string& command,
                           const std::string& file, const std::string& sha256,
                           const std::string& utcTime);

// Now in UTC, as ISO 8601: "2026-12-11T02:05:11Z".
std::string UtcTimeNow();

}  // namespace vantrel
