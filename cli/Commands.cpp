// inspect, pack and seal: the commands that work on files and never address a
// writer.

#include "cli/Commands.h"

#include <cstdio>
#include <string>
#include <vector>

#include "cli/Console.h"
#include "cli/ControlFileReport.h"
#include "cli/FileIo.h"
#include "cli/FirmwareReport.h"
#include "cli/Json.h"
#include "cli/PackDescription.h"
#include "cli/ShownText.h"
#include "common/Text.h"
#include "configure/AnsiText.h"
#include "configure/ControlFile.h"
#include "configure/ControlFileWriter.h"
#include "upgrade/FirmwareSealer.h"

namespace vantrel::cli {

namespace {

void Problem(const std::wstring& text) { StandardError().Write(L"vantrel-cli: " + text + L"\n"); }

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

void PrintControlJson(const std::wstring& path, const ControlInspection& r) {
    OrderedJson j;
    j["kind"] = "control";
    j["file"] = PathText(path);
    j["ic_name"] = r.headerRead ? OrderedJson(Utf8(r.icName)) : OrderedJson();
    auto number = [&](const char* name, uint64_t value) {
        j[name] = r.decoded ? OrderedJson(value) : OrderedJson();
    };
    j["ic_type"] = r.decoded ? OrderedJson(Utf8(IcTypeText(r.icType))) : OrderedJson();
    number("program_words", r.programWords);
    number("eeprom_count", r.eepromCount);
    j["family_number"] = r.decoded ? OrderedJson(r.familyNumber) : OrderedJson();
    number("command_family", r.commandFamily);
    number("low_mask", r.lowMask);
    number("high_shift", r.highShift);
    number("high_mask", r.highMask);
    number("family_tag", r.familyTag);
    number("pack_flag", r.packFlag);
    number("leve", r.leve);
    j["asks_program_mode"] = r.decoded ? OrderedJson(r.asksProgramMode) : OrderedJson();
    j["checksum_moe"] = r.decoded ? OrderedJson(Utf8(r.checksumMoe)) : OrderedJson();
    j["checksum_memory"] = r.decoded ? OrderedJson(Utf8(r.checksumMemory)) : OrderedJson();
    j["valid"] = r.valid;
    if (!r.valid) j["error"] = Utf8(r.error);
    StandardOutput().WriteUtf8(JsonText(j));
}

void PrintControlText(const std::wstring& path, const ControlInspection& r) {
    Print(L"control file: " + ShownPath(path));
    if (r.headerRead) Print(L"IC name: " + ShownText(r.icName));
    if (!r.valid) {
        Print(L"not valid: " + r.error);
        return;
    }
    Print(L"IC type: " + ShownText(IcTypeText(r.icType)));
    Print(L"program words: " + std::to_wstring(r.programWords));
    Print(L"EEPROM entries: " + std::to_wstring(r.eepromCount));
    Print(L"family number: " + std::to_wstring(r.familyNumber));
    Print(L"command family: " + std::to_wstring(r.commandFamily));
    Print(L"word packing: low mask " + Hex2(r.lowMask) + L", high shift " +
          std::to_wstring(r.highShift) + L", high mask " + Hex2(r.highMask) + L", family tag " +
          Hex2(r.familyTag) + L", pack flag " + std::to_wstring(r.packFlag));
    Print(L"level byte: " + Hex2(r.leve));
    Print(std::wstring(L"asks for the programming mode: ") + (r.asksProgramMode ? L"yes" : L"no"));
    Print(L"M+O+E：" + ShownText(r.checksumMoe));
    Print(L"MEMORY：" + ShownText(r.checksumMemory));
    Print(L"valid: yes");
}

void PrintFirmwareJson(const std::wstring& path, const FirmwareInspection& r, bool plain) {
    OrderedJson j;
    j["kind"] = "firmware";
    j["file"] = PathText(path);
    j["records"] = r.records;
    j["data_records"] = r.dataRecords;
    j["data_bytes"] = r.dataBytes;
    j["address_min"] = r.anyData ? OrderedJson(r.lowestAddress) : OrderedJson();
    j["address_max"] = r.anyData ? OrderedJson(r.highestAddress) : OrderedJson();
    j["bytes_outside_image"] = r.bytesOutsideImage;
    j["end_record"] = r.endRecord;
    j["enciphered"] = !plain;
    j["bad_checksum_lines"] = r.badChecksumLines;
    j["warnings"] = r.warnings;
    StandardOutput().WriteUtf8(JsonText(j));
}

void PrintFirmwareText(const std::wstring& path, const FirmwareInspection& r, bool plain) {
    Print(L"firmware file: " + ShownPath(path));
    if (plain) {
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
    Print(L"record checksums that do not match: " + std::to_wstring(r.badChecksumLines.size()));
    for (const std::string& warning : r.warnings) Print(L"warning: " + FromUtf8(warning));
}

}  // namespace

int RunInspect(const Options& options) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(options.file, bytes)) {
        Problem(L"cannot read '" + options.file + L"'");
        return 2;
    }
    if (IsControlFile(options.file, bytes.size())) {
        const ControlInspection report = InspectControlFile(options.file, options.wideOptions);
        if (options.json) {
            PrintControlJson(options.file, report);
        } else {
            PrintControlText(options.file, report);
        }
        return report.valid ? 0 : 1;
    }
    // A file that was never enciphered is described as it stands; the upgrade would
    // decipher it into noise.
    const bool plain = LooksLikePlainIntelHex(bytes);
    const FirmwareInspection report = InspectFirmwareText(
        plain ? std::string(bytes.begin(), bytes.end()) : DecipherFirmware(bytes));
    if (options.json) {
        PrintFirmwareJson(options.file, report, plain);
    } else {
        PrintFirmwareText(options.file, report, plain);
    }
    return plain ? 1 : 0;
}

int RunPack(const Options& options) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(options.file, bytes)) {
        Problem(L"cannot read '" + options.file + L"'");
        return 2;
    }
    Json description;
    std::string error;
    ControlFileContents contents;
    if (!ParseJson(std::string(bytes.begin(), bytes.end()), description, error) ||
        !ReadPackDescription(description, contents, error)) {
        Problem(options.file + L": " + FromUtf8(error));
        return 1;
    }
    const std::vector<uint8_t> file = BuildControlFile(contents);
    if (!WriteWholeFile(options.output, file)) {
        Problem(L"cannot write '" + options.output + L"'");
        return 1;
    }
    Print(L"wrote " + ShownPath(options.output) + L" (" + std::to_wstring(file.size()) +
          L" bytes): IC " + ShownText(AnsiToWide(contents.name, 16)) + L", type " +
          ShownText(IcTypeText(contents.icDescriptor[9])) + L", " +
          std::to_wstring(contents.programWords.size()) + L" program words, " +
          std::to_wstring(contents.eepromBytes.size()) + L" EEPROM entries");
    return 0;
}

int RunSeal(const Options& options) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(options.file, bytes)) {
        Problem(L"cannot read '" + options.file + L"'");
        return 2;
    }
    const std::string text(bytes.begin(), bytes.end());
    const FirmwareInspection check = InspectFirmwareText(text);
    if (check.records == 0) {
        Problem(options.file + L" holds no Intel HEX records");
        return 1;
    }
    for (const std::string& warning : check.warnings) {
        StandardError().Write(L"warning: " + FromUtf8(warning) + L"\n");
    }
    if (!WriteWholeFile(options.output, SealFirmware(text))) {
        Problem(L"cannot write '" + options.output + L"'");
        return 1;
    }
    Print(L"wrote " + options.output + L": " + std::to_wstring(check.records) + L" records, " +
          std::to_wstring(check.dataBytes) + L" data bytes");
    return 0;
}

}  // namespace vantrel::cli
