#pragma once
// The computation behind CDes: a block as two 32-bit words, the initial and final
// permutations as bit-swap steps, and each round as eight look-ups in tables that
// join an S-box with the permutation P.

#include <cstddef>
#include <cstdint>

namespace vantrel::des {

// The 16 round keys K1 to K16 of `key`, 48 bits each, the key's bit 1 in bit 47.
void ComputeRoundKeys(const uint8_t key[8], uint64_t roundKeys[16]);

// The round keys in the form the rounds use: two words per round, K1 first when
// enciphering and K16 first when deciphering.
void PrepareSchedule(const uint64_t roundKeys[16], bool decipher, uint32_t schedule[32]);

// Runs `count` 8-byte blocks from `in` through the sixteen rounds of `schedule` into
// `out` (electronic codebook: every block on its own). `in` and `out` may be the
// same buffer.
void CryptBlocks(const uint32_t schedule[32], const uint8_t* in, uint8_t* out, size_t count);

}  // namespace vantrel::des
