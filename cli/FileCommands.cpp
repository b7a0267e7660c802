// inspect, pack and seal: the commands that work on files and never address a
// writer.

#include "cli/FileCommands.h"

#include <cstdio>
#include <string>
#include <vector>

#include "cli/ExitStatus.h"
#include "cli/Interruption.h"
#include "cli/ResultOutput.h"
#include "common/Console.h"
#include "common/FileRead.h"
#include "common/Json.h"
#include "common/OutputFile.h"
#include "common/ShownText.h"
#include "common/Text.h"
#include "configure/AnsiText.h"
#include "configure/ControlFile.h"
#include "configure/ControlFileReport.h"
#include "configure/ControlFileWriter.h"
#include "configure/IcRules.h"
#include "configure/PackDescription.h"
#include "upgrade/FirmwareCheck.h"
#include "upgrade/FirmwareDecoding.h"
#include "upgrade/FirmwareReport.h"
#include "upgrade/FirmwareSealer.h"

namespace vantrel::cli {

namespace {

void Problem(const std::wstring& text) {
    NoteOwnText(text);
    StandardError().Write(L"vantrel-cli: " + text + L"\n");
}

void Print(const std::wstring& line) { StandardOutput().Write(line + L"\n"); }

std::wstring LowerExtension(const std::wstring& path) {
    const size_t dot = path.find_last_of(L'.');
    const size_t slash = path.find_last_of(L"/\\");
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return L"";
    std::wstring ext = path.substr(dot);
    for (wchar_t& c : ext) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return ext;
}

// A control file by its extension; without a telling extension, by its length.
bool IsControlFile(const std::wstring& path, uint64_t length) {
    const std::wstring ext = LowerExtension(path);
    if (ext == L".ctl") return true;
    if (ext == L".hex") return false;
    return length == kControlFileLength;
}

// A wide text as a JSON text (UTF-8); a path keeps its bytes in view as \xNN.
std::string Utf8(const std::wstring& text) { return ToUtf8(text); }
std::string PathText(const std::wstring& path) { return ToUtf8(ShownPath(path)); }

// The members that every --json object starts with.
OrderedJson InspectJson(int status) {
    OrderedJson j;
    j["ok"] = status == kExitOk;
    j["exit"] = status;
    j["command"] = "inspect";
    return j;
}

// The refusal as the one text of the run, or none.
OrderedJson RefusalTexts(bool refused, const std::wstring& refusal) {
    OrderedJson texts = OrderedJson::array();
    if (refused) texts.push_back({{"where", "cli"}, {"text", Utf8(refusal)}});
    return texts;
}

void PrintControlJson(const std::wstring& path, const ControlInspection& r, int status) {
    OrderedJson j = InspectJson(status);
    j["kind"] = "control";
    j["file"] = PathText(path);
    AddControlFileFields(j, r);
    j["texts"] = RefusalTexts(!r.valid, r.error);
    PrintFinalJson(JsonText(j));
}

void PrintControlText(const std::wstring& path, const ControlInspection& r) {
    Print(L"control file: " + ShownPath(path));
    for (const std::wstring& line : ControlFileLines(r)) Print(line);
}

void PrintFirmwareJson(const std::wstring& path, const FirmwareInspection& report, int status) {
    OrderedJson j = InspectJson(status);
    j["kind"] = "firmware";
    j["file"] = PathText(path);
    AddFirmwareFileFields(j, report);
    const std::wstring refusal = FirmwareFileRefusal(report);
    j["texts"] = RefusalTexts(!refusal.empty(), refusal);
    PrintFinalJson(JsonText(j));
}

void PrintFirmwareText(const std::wstring& path, const FirmwareInspection& report) {
    Print(L"firmware file: " + ShownPath(path));
    for (const std::wstring& line : FirmwareFileLines(report)) Print(line);
}

// An output that is the input would destroy the input before it was used; a FIFO,
// a device or a folder there would be removed by the rename.
bool OutputRefused(const Options& options) {
    const std::wstring refusal = OutputRefusal(options.output, {options.file});
    if (refusal.empty()) return false;
    Problem(refusal);
    return true;
}

bool ReadArgument(const std::wstring& path, std::vector<uint8_t>& bytes) {
    std::wstring problem;
    if (ReadInputFile(path, bytes, problem)) return true;
    Problem(L"cannot read '" + ShownPath(path) + L"': " + problem);
    return false;
}

}  // namespace

int RunInspect(const Options& options) {
    std::vector<uint8_t> bytes;
    if (!ReadArgument(options.file, bytes)) return kExitUsage;
    if (IsControlFile(options.file, bytes.size())) {
        const ControlInspection report = InspectControlFile(bytes, options.wideOptions);
        // What configure would refuse before touching the writer.
        const int status = report.valid ? kExitOk : kExitFileRefused;
        if (options.json) {
            PrintControlJson(options.file, report, status);
        } else {
            PrintControlText(options.file, report);
        }
        return status;
    }
    const FirmwareInspection report = InspectFirmwareFile(bytes);
    const int status = report.verdict.Sound() ? kExitOk : kExitFileRefused;
    if (options.json) {
        PrintFirmwareJson(options.file, report, status);
    } else {
        PrintFirmwareText(options.file, report);
    }
    return status;
}

int RunPack(const Options& options) {
    // An interruption removes the file being written beside the output.
    InstallInterruptHandlers(false);
    std::vector<uint8_t> bytes;
    if (!ReadArgument(options.file, bytes)) return kExitUsage;
    if (OutputRefused(options)) return kExitUsage;
    Json description;
    std::string error;
    ControlFileContents contents;
    if (!ParseJson(std::string(bytes.begin(), bytes.end()), description, error) ||
        !ReadPackDescription(description, contents, error)) {
        Problem(ShownPath(options.file) + L": " + FromUtf8(error));
        return kExitFileRefused;
    }
    const std::vector<uint8_t> file = BuildControlFile(contents);
    std::wstring problem;
    if (!WriteOutputFile(options.output, file, {options.file}, problem, InterruptionFileHooks())) {
        Problem(L"cannot write '" + ShownPath(options.output) + L"': " + problem);
        return kExitUsage;
    }
    Print(L"wrote " + ShownPath(options.output) + L" (" + std::to_wstring(file.size()) +
          L" bytes): IC " + ShownText(AnsiToWide(contents.name, 16)) + L", type " +
          ShownText(AnsiToWide(&contents.icDescriptor[9], 1)) + L", " +
          std::to_wstring(contents.programWords.size()) + L" program words, " +
          std::to_wstring(contents.eepromBytes.size()) + L" EEPROM entries");
    return 0;
}

int RunSeal(const Options& options) {
    InstallInterruptHandlers(false);
    std::vector<uint8_t> bytes;
    if (!ReadArgument(options.file, bytes)) return kExitUsage;
    if (OutputRefused(options)) return kExitUsage;
    const std::vector<uint8_t> sealed = SealFirmware(std::string(bytes.begin(), bytes.end()));
    // Checked as the upgrade will read it: the sealed file, padding included.
    const FirmwareCheck check = DecodeFirmwareBytes(sealed.data(), sealed.size()).check;
    const std::wstring shown = ShownPath(options.file);
    for (const std::wstring& problem : ProblemLines(check)) Problem(shown + L": " + problem);
    if (!check.Sound() && !options.force) {
        Problem(shown + L": the upgrade would refuse it (" +
                FirmwareRefusalText(check.problems.front()) +
                L"); nothing written. --force seals it all the same");
        return kExitFileRefused;
    }
    for (const std::wstring& warning : NoteLines(check)) {
        StandardError().Write(L"warning: " + warning + L"\n");
    }
    std::wstring problem;
    if (!WriteOutputFile(options.output, sealed, {options.file}, problem,
                         InterruptionFileHooks())) {
        Problem(L"cannot write '" + ShownPath(options.output) + L"': " + problem);
        return kExitUsage;
    }
    Print(L"wrote " + ShownPath(options.output) + L": " + std::to_wstring(check.records) +
          L" records, " + std::to_wstring(check.dataBytes) + L" data bytes");
    return 0;
}

}  // namespace vantrel::cli
