#include "upgrade/FirmwareReport.h"

#include <cstdio>

#include "common/Text.h"
#include "upgrade/FirmwareDecoding.h"

namespace vantrel {

namespace {

bool IsAnyHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

std::wstring Line(uint64_t line) { return L"line " + std::to_wstring(line) + L": "; }

}  // namespace

std::wstring ProblemLine(const FirmwareProblem& problem) {
    switch (problem.kind) {
        case FirmwareProblemKind::NotARecord:
            return Line(problem.line) + L"not an Intel HEX record (does not start with ':')";
        case FirmwareProblemKind::BadCharacter:
            return Line(problem.line) +
                   L"holds characters other than upper-case hexadecimal digits (the tool "
                   L"would read them as 0)";
        case FirmwareProblemKind::WrongLength:
            return Line(problem.line) + L"the byte count does not match the length of the line";
        case FirmwareProblemKind::WrongChecksum:
            return Line(problem.line) + L"the record checksum does not match";
        case FirmwareProblemKind::NoEndRecord:
            return L"no end-of-file record (type 01): the file is cut short";
        case FirmwareProblemKind::NoDataInImage:
            return L"no data byte lies inside the 69,632-byte image";
    }
    return Line(problem.line) + L"unknown problem";
}

std::vector<std::wstring> ProblemLines(const FirmwareCheck& check) {
    std::vector<std::wstring> lines;
    for (const FirmwareProblem& problem : check.problems) lines.push_back(ProblemLine(problem));
    if (check.problemCount > check.problems.size())
        lines.push_back(std::to_wstring(check.problemCount - check.problems.size()) +
                        L" more problems not listed");
    return lines;
}

std::vector<std::wstring> NoteLines(const FirmwareCheck& check) {
    std::vector<std::wstring> lines;
    for (const FirmwareNote& note : check.notes) {
        if (note.kind == FirmwareNoteKind::BytesOutsideImage) {
            lines.push_back(Line(note.line) + std::to_wstring(note.value) +
                            L" data bytes fall outside the 69,632-byte image and are dropped");
        } else {
            lines.push_back(Line(note.line) + L"record type " + std::to_wstring(note.value) +
                            L" is ignored");
        }
    }
    if (check.noteCount > check.notes.size())
        lines.push_back(std::to_wstring(check.noteCount - check.notes.size()) +
                        L" more warnings not shown");
    return lines;
}

bool LooksLikePlainIntelHex(const std::vector<uint8_t>& file) {
    if (file.empty() || file[0] != ':') return false;
    for (uint8_t b : file) {
        if (b != '\r' && b != '\n' && b != ':' && !IsAnyHex(static_cast<char>(b))) return false;
    }
    return true;
}

namespace {

std::wstring Hex5(uint32_t value) {
    wchar_t buffer[16];
    std::swprintf(buffer, 16, L"0x%05X", value);
    return buffer;
}

std::string Utf8(const std::wstring& text) { return ToUtf8(text); }

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

}  // namespace

FirmwareInspection InspectFirmwareFile(const std::vector<uint8_t>& bytes) {
    FirmwareInspection r;
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

std::wstring FirmwareFileRefusal(const FirmwareInspection& report) {
    if (report.verdict.Sound()) return std::wstring();
    return FirmwareRefusalText(report.verdict.problems.front());
}

void AddFirmwareFileFields(OrderedJson& j, const FirmwareInspection& report) {
    const FirmwareCheck& r = report.described;
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
    j["refusal"] =
        report.verdict.Sound() ? OrderedJson() : OrderedJson(Utf8(FirmwareFileRefusal(report)));
}

std::vector<std::wstring> FirmwareFileLines(const FirmwareInspection& report) {
    const FirmwareCheck& r = report.described;
    std::vector<std::wstring> lines;
    if (report.plain) {
        lines.push_back(
            L"not enciphered: this is plain Intel HEX text; make a firmware file of it with "
            L"'vantrel-cli seal'. Its records as they stand:");
    }
    lines.push_back(L"records: " + std::to_wstring(r.records) + L" (" +
                    std::to_wstring(r.dataRecords) + L" data records, " +
                    std::to_wstring(r.dataBytes) + L" data bytes)");
    if (r.anyData) {
        lines.push_back(L"address range: " + Hex5(r.lowestAddress) + L" - " +
                        Hex5(r.highestAddress) + L" (the image holds 0x00000 - 0x10FFF)");
    } else {
        lines.push_back(L"address range: no data inside the image");
    }
    lines.push_back(L"outside the image: " + std::to_wstring(r.bytesOutsideImage) + L" bytes");
    lines.push_back(L"record checksums that do not match: " +
                    std::to_wstring(ChecksumLines(r).size()));
    for (const std::wstring& warning : NoteLines(r)) lines.push_back(L"warning: " + warning);
    for (const std::wstring& problem : report.problems) lines.push_back(L"problem: " + problem);
    if (report.verdict.Sound()) {
        lines.push_back(L"verdict: sound; the upgrade accepts this file");
    } else {
        lines.push_back(L"verdict: the upgrade refuses this file: " +
                        FirmwareRefusalText(report.verdict.problems.front()));
    }
    return lines;
}

}  // namespace vantrel
