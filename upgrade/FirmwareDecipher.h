#pragma once
// The deciphering step of the firmware image reader: a firmware file, block by
// block under the firmware key, into the intermediate text file.

#include <cstdio>

namespace vantrel {

// Deciphers `in` from its current position to its end into `out`, 8 bytes for
// every block. A last block of 1 to 7 bytes overwrites only the start of the block
// buffer, whose other bytes still hold the previous block's ciphertext (zeros when
// there was none); all 8 bytes are deciphered and written. False on a read or
// write error.
bool DecipherFirmware(FILE* in, FILE* out);

}  // namespace vantrel
