#include "upgrade/FirmwareReport.h"

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

}  // namespace vantrel
