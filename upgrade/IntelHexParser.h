#pragma once
// Parses deciphered Intel HEX text into a firmware image, and checks it on the way.
//
// Lines end at LF; a CR right before the LF is dropped, any other CR is an
// ordinary character. Fields are taken by position only: byte count at 1-2,
// offset at 3-6, record type at 7-8, data from 9. A field reaching past the line
// end is cut there and an empty field reads 0; every field is read with
// HexFieldValue. Types 00 (data), 01 (end), 02 (segment) and 04 (linear) act,
// all others are ignored, and nothing after the end record is parsed. Data bytes
// whose address lies outside the image are dropped.
//
// The storing follows those rules whatever the text holds; the check (see
// FirmwareCheck) records where the text is not sound Intel HEX, so that a caller
// can refuse it before anything is programmed. Up to 7 NUL bytes that end the text
// after its last line end are the zero padding of the last cipher block, no part
// of the last line: so an end record without a line end is still sound once sealed.
//
// A line is kept up to kStoredLine characters, whether streamed or not; a record
// never needs more, and a longer line is refused for its length all the same.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "upgrade/FirmwareCheck.h"

namespace vantrel {

class IntelHexParser {
public:
    // `image` is kFirmwareImageSize bytes; only bytes that data records name change.
    explicit IntelHexParser(uint8_t* image);

    // Parses the next piece of text; a line may be split across calls.
    void Feed(const char* text, size_t length);
    // Parses a whole text at once (or its rest, after Feed of whole lines).
    void ParseText(std::string_view text);
    // Parses a last line that has no line end, and completes the check.
    void Finish();

    // True once the end-of-file record was seen; the rest of the text is ignored.
    bool Ended() const { return m_ended; }
    // Data bytes that were not stored because their address lies outside the image.
    uint64_t DroppedBytes() const { return m_check.bytesOutsideImage; }
    // The check so far; complete after Finish.
    const FirmwareCheck& Check() const { return m_check; }

private:
    // `cut`: the line was longer than the part kept of it. `last`: it has no line end.
    void ParseLine(std::string_view line, bool cut, bool last);
    void CheckRecord(std::string_view line, uint32_t count, bool cut);
    void Problem(FirmwareProblemKind kind, uint64_t line);
    void Note(FirmwareNoteKind kind, uint64_t value);
    void StoreData(std::string_view line, uint32_t count, uint32_t offset);

    uint8_t* m_image;
    // The longest record, 9 + 2 * 255 + 2 characters; lines are kept up to that, its
    // CR and 7 bytes of padding.
    static constexpr size_t kMaxUsefulLine = 9 + 2 * 255 + 2;
    static constexpr size_t kStoredLine = kMaxUsefulLine + 1 + 7;
    std::string m_line;
    bool m_lineTooLong = false;
    bool m_lineStarted = false;
    bool m_ended = false;
    bool m_finished = false;
    uint32_t m_segment = 0;
    uint32_t m_linear = 0;
    FirmwareCheck m_check;
};

// Parses a whole text; returns the number of data bytes dropped for their address.
uint64_t ParseIntelHex(std::string_view text, uint8_t* image);

}  // namespace vantrel
