#pragma once
// The soundness check of a deciphered firmware text: what makes the upgrade job,
// inspect and seal refuse it, found by the Intel HEX parser while it reads the
// text, and what it noted on the way.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

enum class FirmwareProblemKind : uint8_t {
    NotARecord,     // a non-empty line before the end record that does not start with ':'
    BadCharacter,   // a record holds a character other than 0-9 and A-F
    WrongLength,    // a record's byte count does not match the length of its line
    WrongChecksum,  // a record's checksum does not match its bytes
    NoEndRecord,    // the text ends without an end-of-file record (type 01)
    NoDataInImage,  // no data byte lands inside the 69,632-byte image
};

struct FirmwareProblem {
    FirmwareProblemKind kind;
    uint64_t line;  // 1-based; 0 for the text as a whole
    bool operator==(const FirmwareProblem&) const = default;
};

// What the parser noted that is no reason to refuse.
enum class FirmwareNoteKind : uint8_t {
    BytesOutsideImage,  // `value` data bytes of the record were dropped
    IgnoredRecordType,  // a record of type `value` (not 00, 01, 02 or 04) had no effect
};

struct FirmwareNote {
    FirmwareNoteKind kind;
    uint64_t line;
    uint64_t value;
    bool operator==(const FirmwareNote&) const = default;
};

struct FirmwareCheck {
    // At most this many problems and notes are kept; the counts go on.
    static constexpr size_t kMaxKept = 1000;

    std::vector<FirmwareProblem> problems;  // in the order of the text
    uint64_t problemCount = 0;
    std::vector<FirmwareNote> notes;
    uint64_t noteCount = 0;

    uint64_t lines = 0;    // lines read, up to and including the end record
    uint64_t records = 0;  // of those, lines that start with ':'
    uint64_t dataRecords = 0;
    uint64_t dataBytes = 0;  // data bytes named, stored or dropped
    uint64_t bytesOutsideImage = 0;
    bool endRecord = false;
    bool anyData = false;         // a data byte was stored inside the image
    uint32_t lowestAddress = 0;   // of a stored data byte, when anyData
    uint32_t highestAddress = 0;  // of a stored data byte, when anyData

    bool Sound() const { return problemCount == 0; }
};

// Checks plain (already deciphered) firmware text.
FirmwareCheck CheckFirmwareText(std::string_view text);

// A problem in the tool's own words: "第12行记录校验和错误", "没有文件结束记录".
std::wstring FirmwareProblemText(const FirmwareProblem& problem);
// The message box of a refused file: "固件文件无效：第12行记录校验和错误！".
std::wstring FirmwareRefusalText(const FirmwareProblem& problem);

}  // namespace vantrel
