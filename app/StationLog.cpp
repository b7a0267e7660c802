#include "app/StationLog.h"

#include <chrono>
#include <ctime>

#include "common/ShownText.h"
#include "common/Text.h"
#include "configure/ControlFileReport.h"
#include "upgrade/FirmwareDecoding.h"
#include "upgrade/FirmwareReport.h"

namespace vantrel {

namespace {

OrderedJson TextOrNull(const std::wstring& text) {
    return text.empty() ? OrderedJson() : OrderedJson(ToUtf8(text));
}

}  // namespace

std::vector<std::wstring> StationFileRefusal(const JobRequest& request,
                                             std::vector<std::wstring>& warnings) {
    if (request.kind == JobKind::Configure) {
        const ControlInspection inspection = InspectControlFile(request.bytes, request.wideOptions);
        if (inspection.valid) return {};
        return {L"the control file '" + ShownPath(request.file) +
                L"' is refused, no writer was touched: " + ShownText(inspection.error)};
    }
    const FirmwareCheck check =
        DecodeFirmwareBytes(request.bytes.data(), request.bytes.size()).check;
    if (check.Sound() || request.force) {
        for (const std::wstring& line : NoteLines(check)) warnings.push_back(line);
        return {};
    }
    std::vector<std::wstring> lines = {L"the firmware file '" + ShownPath(request.file) +
                                       L"' is refused, no writer was touched (--force goes on):"};
    for (const std::wstring& line : ProblemLines(check)) lines.push_back(L"  " + line);
    return lines;
}

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
