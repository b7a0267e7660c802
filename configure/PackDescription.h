#pragma once
// The JSON description from which `pack` builds a control file. Every item is in
// plain form; pack enciphers them under the key and sets both checksums.
//
//   {
//     "name": "VT7-DEMO",              text of at most 24 bytes in GBK; its first 16 bytes
//                                      are the IC name
//     "key": "0123456789ABCDEF",       the DES key, 16 hex digits
//     "ic_type": "7",                  IC type character (descriptor byte 9)
//     "descriptor_options": BYTES,     descriptor bytes 0-3 (sent by DownOPT)
//     "extra_options": BYTES,          descriptor bytes 10-13 (types B, C, D)
//     "ic_descriptor": BYTES,          optional: all 16 descriptor bytes, before the above
//     "program_word_count": N,         optional: descriptor count written as given
//     "eeprom_count": N,               optional: descriptor count written as given
//     "program_words": [WORD, ...],    at most 16640 16-bit words
//     "eeprom_bytes": BYTES,           at most 256
//     "wide_option_layout": false,     the option block has the 56-byte layout
//     "option_block": BYTES,           at most 44 (56 with the wide layout)
//     "family_number": N,              optional: option block bytes 12-15, little-endian
//     "ic_params": BYTES, "sn": BYTES, "pass": BYTES, "id": BYTES,
//     "pro_checksum": BYTES, "inrc_set": BYTES,   at most 16, 34, 8, 26, 8 and 5 bytes
//     "leve": N                        one byte
//   }
//
// BYTES is an array of numbers (or "0x.." texts), a text of hex digits ("0A 1B 2C",
// blanks allowed), or {"text": "..."} for the UTF-8 bytes of a text. Shorter items
// are padded with zero bytes. Numbers may be written as "0x.." texts too. Members
// not listed here are refused, so a misspelt name does not go unnoticed. The name
// is stored in GBK, as every reader of control files decodes it; a name that GBK
// cannot hold, or whose 16th byte splits a character, is refused.

#include <string>

#include "common/Json.h"
#include "configure/ControlFileWriter.h"

namespace vantrel {

// Fills `contents` from a parsed description; false with `error` naming the member.
bool ReadPackDescription(const Json& description, ControlFileContents& contents,
                         std::string& error);

}  // namespace vantrel
