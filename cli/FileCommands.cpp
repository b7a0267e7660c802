// inspect, pack and seal: the commands that work on files and never address a
// writer.

#include "cli/FileCommands.h"

#include <cstdio>
#include <string>
#include <vector>

#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/Interruption.h"
#include "cli/ResultOutput.h"
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

std::wstring Hex2(uint32_t value) {
    wchar_t buffer[16];
    std::swprintf(buffer, 16, L"0x%02X", value);
    return buffer;
}

std::wstring Hex5(uint32_t value) {
    wchar_t buffer[16];
    std::swprintf(buffer, 16, L"0x%05X", value);
    return buffer;
}

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

std::wstring IcTypeText(uint8_t type) { return AnsiToWide(&type, 1); }

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
    j["ic_name"] = r.headerRead ? OrderedJson(Utf8(r.icName)) : OrderedJson();
    // The decoded values, or null for each when the file was refused.
    if (const ConfigurationRecord* d = r.record.get()) {
        j["ic_type"] = Utf8(IcTypeText(d->m_icDescriptor[9]));
        j["program_words"] = d->m_nProgramWords;
        j["eeprom_count"] = d->m_nEepromCount;
        j["family_number"] = FamilyNumber(*d);
        j["command_family"] = d->m_nCommandFamily;
        j["low_mask"] = d->m_nLowMask;
        j["high_shift"] = d->m_nHighShift;
        j["high_mask"] = d->m_nHighMask;
        j["family_tag"] = d->m_nFamilyTag;
        j["pack_flag"] = d->m_nPackFlag;
        j["leve"] = d->m_leve;
        j["asks_program_mode"] = AsksProgramMode(d->m_icDescriptor[9]);
        j["checksum_moe"] = Utf8(r.checksumMoe);
        j["checksum_memory"] = Utf8(r.checksumMemory);
    } else {
        for (const char* name :
             {"ic_type", "program_words", "eeprom_count", "family_number", "command_family",
              "low_mask", "high_shift", "high_mask", "family_tag", "pack_flag", "leve",
              "asks_program_mode", "checksum_moe", "checksum_memory"})
            j[name] = nullptr;
    }
    j["valid"] = r.valid;
    if (!r.valid) j["error"] = Utf8(r.error);
    j["texts"] = RefusalTexts(!r.valid, r.error);
    PrintFinalJson(JsonText(j));
}

void PrintControlText(const std::wstring& path, const ControlInspection& r) {
    Print(L"control file: " + ShownPath(path));
    if (r.headerRead) Print(L"IC name: " + ShownText(r.icName));
    if (!r.valid) {
        Print(L"not valid: " + r.error);
        return;
    }
    const ConfigurationRecord& d = *r.record;
    Print(L"IC type: " + ShownText(IcTypeText(d.m_icDescriptor[9])));
    Print(L"program words: " + std::to_wstring(d.m_nProgramWords));
    Print(L"EEPROM entries: " + std::to_wstring(d.m_nEepromCount));
    Print(L"family number: " + std::to_wstring(FamilyNumber(d)));
    Print(L"command family: " + std::to_wstring(d.m_nCommandFamily));
    Print(L"word packing: low mask " + Hex2(d.m_nLowMask) + L", high shift " +
          std::to_wstring(d.m_nHighShift) + L", high mask " + Hex2(d.m_nHighMask) +
          L", family tag " + Hex2(d.m_nFamilyTag) + L", pack flag " +
          std::to_wstring(d.m_nPackFlag));
    Print(L"level byte: " + Hex2(d.m_leve));
    Print(std::wstring(L"asks for the programming mode: ") +
          (AsksProgramMode(d.m_icDescriptor[9]) ? L"yes" : L"no"));
    Print(L"M+O+E：" + ShownText(r.checksumMoe));
    Print(L"MEMORY：" + ShownText(r.checksumMemory));
    Print(L"valid: yes");
}

// What inspect says about a firmware file: the verdict and problems of the
// upgrade's own check, and the records described. A file that was never enciphered
// is described as it stands (what sealing it would give): the upgrade would
// decipher it into noise and refuse it.
struct FirmwareReport {
    bool plain = false;
    FirmwareCheck verdict;    // the upgrade's check of the file as it is
    FirmwareCheck described;  // the records described: the text as it stands when plain
    std::vector<std::wstring> problems;
};

FirmwareReport ReportFirmware(const std::vector<uint8_t>& bytes) {
    FirmwareReport r;
    r.plain = LooksLikePlainIntelHex(bytes);
    r.verdict = DecodeFirmwareBytes(bytes.data(), bytes.size()).check;
    if (r.plain) {
        r.described = CheckFirmwareText(std::string(bytes.begin(), bytes.end()));
        r.problems.push_back(
            L"not enciphered: the upgrade would decipher this plain text into noise");
        for (const std::wstring& line : ProblemLines(r.described)) r.problems.push_back(line);
    } else {
        r.described = r.verdict;
        r.problems = ProblemLines(r.verdict);
    }
    return r;
}

std::vector<uint64_t> ChecksumLines(const FirmwareCheck& check) {
    std::vector<uint64_t> lines;
    for (const FirmwareProblem& p : check.problems)
        if (p.kind == FirmwareProblemKind::WrongChecksum) lines.push_back(p.line);
    return lines;
}

std::vector<std::string> Utf8Lines(const std::vector<std::wstring>& lines) {
    std::vector<std::string> out;
    for (const std::wstring& line : lines) out.push_back(Utf8(line));
    return out;
}

void PrintFirmwareJson(const std::wstring& path, const FirmwareReport& report, int status) {
    const FirmwareCheck& r = report.described;
    OrderedJson j = InspectJson(status);
    j["kind"] = "firmware";
    j["file"] = PathText(path);
    j["records"] = r.records;
    j["data_records"] = r.dataRecords;
    j["data_bytes"] = r.dataBytes;
    j["address_min"] = r.anyData ? OrderedJson(r.lowestAddress) : OrderedJson();
    j["address_max"] = r.anyData ? OrderedJson(r.highestAddress) : OrderedJson();
    j["bytes_outside_image"] = r.bytesOutsideImage;
    j["end_record"] = r.endRecord;
    j["enciphered"] = !report.plain;
    j["bad_checksum_lines"] = ChecksumLines(r);
    j["warnings"] = Utf8Lines(NoteLines(r));
    j["sound"] = report.verdict.Sound();
    j["problems"] = Utf8Lines(report.problems);
    j["refusal"] = report.verdict.Sound()
                       ? OrderedJson()
                       : OrderedJson(Utf8(FirmwareRefusalText(report.verdict.problems.front())));
    j["texts"] =
        RefusalTexts(!report.verdict.Sound(),
                     report.verdict.Sound() ? std::wstring()
                                            : FirmwareRefusalText(report.verdict.problems.front()));
    PrintFinalJson(JsonText(j));
}

void PrintFirmwareText(const std::wstring& path, const FirmwareReport& report) {
    const FirmwareCheck& r = report.described;
    Print(L"firmware file: " + ShownPath(path));
    if (report.plain) {
        Print(
            L"not enciphered: this is plain Intel HEX text; make a firmware file of it with "
            L"'vantrel-cli seal'. Its records as they stand:");
    }
    Print(L"records: " + std::to_wstring(r.records) + L" (" + std::to_wstring(r.dataRecords) +
          L" data records, " + std::to_wstring(r.dataBytes) + L" data bytes)");
    if (r.anyData) {
        Print(L"address range: " + Hex5(r.lowestAddress) + L" - " + Hex5(r.highestAddress) +
              L" (the image holds 0x00000 - 0x10FFF)");
    } else {
        Print(L"address range: no data inside the image");
    }
    Print(L"outside the image: " + std::to_wstring(r.bytesOutsideImage) + L" bytes");
    Print(L"record checksums that do not match: " + std::to_wstring(ChecksumLines(r).size()));
    for (const std::wstring& warning : NoteLines(r)) Print(L"warning: " + warning);
    for (const std::wstring& problem : report.problems) Print(L"problem: " + problem);
    if (report.verdict.Sound()) {
        Print(L"verdict: sound; the upgrade accepts this file");
    } else {
        Print(L"verdict: the upgrade refuses this file: " +
              FirmwareRefusalText(report.verdict.problems.front()));
    }
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
    const FirmwareReport report = ReportFirmware(bytes);
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
          ShownText(IcTypeText(contents.icDescriptor[9])) + L", " +
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
