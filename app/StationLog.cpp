#include "app/StationLog.h"

#include <chrono>
#include <ctime>

#include "common/ShownText.h"
#include "common/Text.h"

namespace vantrel {

namespace {

OrderedJson TextOrNull(const std::wstring& text) {
    return text.empty() ? OrderedJson() : OrderedJson(ToUtf8(text));
}

}  // namespace

OrderedJson StationLogLine(const StationJobResult& job, const std::string& command,
                           const std::string& file, const std::string& sha256,
                           const std::string& utcTime) {
    OrderedJson line;
    line["time"] = utcTime;
    line["location"] = TextOrNull(job.writer.location);
    line["path"] = ToUtf8(ShownPath(job.writer.path));
    line["command"] = command;
    line["file"] = file;
    line["sha256"] = sha256;
    if (command == "configure") {
        line["ic_name"] = TextOrNull(job.icName);
        line["checksum_moe"] = TextOrNull(job.checksumMoe);
        line["checksum_memory"] = TextOrNull(job.checksumMemory);
    }
    line["texts"] = job.texts;
    line["ok"] = job.row.outcome == JobOutcome::Succeeded;
    line["exit"] = nullptr;
    line["seconds"] = job.milliseconds / 1000.0;
    return line;
}

std::string UtcTimeNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &now);
#else
    gmtime_r(&now, &utc);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

}  // namespace vantrel
