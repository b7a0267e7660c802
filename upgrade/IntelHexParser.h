#pragma once
// Parses deciphered Intel HEX text into a firmware image.
//
// Lines end at LF; a CR right before the LF is dropped, any other CR is an
// ordinary character. Fields are taken by position only: byte count at 1-2,
// offset at 3-6, record type at 7-8, data from 9. A field reaching past the line
// end is cut there and an empty field reads 0; every field is read with
// HexFieldValue. Types 00 (data), 01 (end), 02 (segment) and 04 (linear) act,
// all others are ignored, and nothing after the end record is parsed. Data bytes
// whose address lies outside the image are dropped.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

class IntelHexParser {
public:
    // `image` is kFirmwareImageSize bytes; only bytes that data records name change.
    explicit IntelHexParser(uint8_t* image);

    // Parses the next piece of text; a line may be split across calls.
    void Feed(const char* text, size_t length);
    // Parses a last line that has no line end.
    void Finish();

    // True once the end-of-file record was seen; the rest of the text is ignored.
    bool Ended() const { return m_ended; }
    // Data bytes that were not stored because their address lies outside the image.
    uint64_t DroppedBytes() const { return m_dropped; }

private:
    void ParseLine();

    uint8_t* m_image;
    // Only the first 9 + 2 * 255 characters of a line can be part of a field.
    static constexpr size_t kMaxUsefulLine = 9 + 2 * 255;
    std::string m_line;
    bool m_lineTooLong = false;
    bool m_lineStarted = false;
    bool m_ended = false;
    uint32_t m_segment = 0;
    uint32_t m_linear = 0;
    uint64_t m_dropped = 0;
};

// Parses a whole text; returns the number of data bytes dropped for their address.
uint64_t ParseIntelHex(std::string_view text, uint8_t* image);

}  // namespace vantrel
