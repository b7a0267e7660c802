#include "cipher/Des.h"

#include <cstring>

namespace {

// Tables of FIPS 46-3, with the standard's 1-based bit positions, laid out as
// the standard prints them.
// clang-format off
const uint8_t kInitialPermutation[64] = {
    58, 50, 42, 34, 26, 18, 10, 2,
    60, 52, 44, 36, 28, 20, 12, 4,
    62, 54, 46, 38, 30, 22, 14, 6,
    64, 56, 48, 40, 32, 24, 16, 8,
    57, 49, 41, 33, 25, 17,  9, 1,
    59, 51, 43, 35, 27, 19, 11, 3,
    61, 53, 45, 37, 29, 21, 13, 5,
    63, 55, 47, 39, 31, 23, 15, 7};

const uint8_t kFinalPermutation[64] = {
    40, 8, 48, 16, 56, 24, 64, 32,
    39, 7, 47, 15, 55, 23, 63, 31,
    38, 6, 46, 14, 54, 22, 62, 30,
    37, 5, 45, 13, 53, 21, 61, 29,
    36, 4, 44, 12, 52, 20, 60, 28,
    35, 3, 43, 11, 51, 19, 59, 27,
    34, 2, 42, 10, 50, 18, 58, 26,
    33, 1, 41,  9, 49, 17, 57, 25};

const uint8_t kPermutedChoice1[56] = {
    57, 49, 41, 33, 25, 17,  9,
     1, 58, 50, 42, 34, 26, 18,
    10,  2, 59, 51, 43, 35, 27,
    19, 11,  3, 60, 52, 44, 36,
    63, 55, 47, 39, 31, 23, 15,
     7, 62, 54, 46, 38, 30, 22,
    14,  6, 61, 53, 45, 37, 29,
    21, 13,  5, 28, 20, 12,  4};

const uint8_t kPermutedChoice2[48] = {
    14, 17, 11, 24,  1,  5,
     3, 28, 15,  6, 21, 10,
    23, 19, 12,  4, 26,  8,
    16,  7, 27, 20, 13,  2,
    41, 52, 31, 37, 47, 55,
    30, 40, 51, 45, 33, 48,
    44, 49, 39, 56, 34, 53,
    46, 42, 50, 36, 29, 32};

const uint8_t kKeyShifts[16] = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

const uint8_t kExpansion[48] = {
    32,  1,  2,  3,  4,  5,
     4,  5,  6,  7,  8,  9,
     8,  9, 10, 11, 12, 13,
    12, 13, 14, 15, 16, 17,
    16, 17, 18, 19, 20, 21,
    20, 21, 22, 23, 24, 25,
    24, 25, 26, 27, 28, 29,
    28, 29, 30, 31, 32,  1};

const uint8_t kPermutation[32] = {
    16,  7, 20, 21,
    29, 12, 28, 17,
     1, 15, 23, 26,
     5, 18, 31, 10,
     2,  8, 24, 14,
    32, 27,  3,  9,
    19, 13, 30,  6,
    22, 11,  4, 25};

const uint8_t kSBoxes[8][4][16] = {
    {{14,  4, 13,  1,  2, 15, 11,  8,  3, 10,  6, 12,  5,  9,  0,  7},
     { 0, 15,  7,  4, 14,  2, 13,  1, 10,  6, 12, 11,  9,  5,  3,  8},
     { 4,  1, 14,  8, 13,  6,  2, 11, 15, 12,  9,  7,  3, 10,  5,  0},
     {15, 12,  8,  2,  4,  9,  1,  7,  5, 11,  3, 14, 10,  0,  6, 13}},
    {{15,  1,  8, 14,  6, 11,  3,  4,  9,  7,  2, 13, 12,  0,  5, 10},
     { 3, 13,  4,  7, 15,  2,  8, 14, 12,  0,  1, 10,  6,  9, 11,  5},
     { 0, 14,  7, 11, 10,  4, 13,  1,  5,  8, 12,  6,  9,  3,  2, 15},
     {13,  8, 10,  1,  3, 15,  4,  2, 11,  6,  7, 12,  0,  5, 14,  9}},
    {{10,  0,  9, 14,  6,  3, 15,  5,  1, 13, 12,  7, 11,  4,  2,  8},
     {13,  7,  0,  9,  3,  4,  6, 10,  2,  8,  5, 14, 12, 11, 15,  1},
     {13,  6,  4,  9,  8, 15,  3,  0, 11,  1,  2, 12,  5, 10, 14,  7},
     { 1, 10, 13,  0,  6,  9,  8,  7,  4, 15, 14,  3, 11,  5,  2, 12}},
    {{ 7, 13, 14,  3,  0,  6,  9, 10,  1,  2,  8,  5, 11, 12,  4, 15},
     {13,  8, 11,  5,  6, 15,  0,  3,  4,  7,  2, 12,  1, 10, 14,  9},
     {10,  6,  9,  0, 12, 11,  7, 13, 15,  1,  3, 14,  5,  2,  8,  4},
     { 3, 15,  0,  6, 10,  1, 13,  8,  9,  4,  5, 11, 12,  7,  2, 14}},
    {{ 2, 12,  4,  1,  7, 10, 11,  6,  8,  5,  3, 15, 13,  0, 14,  9},
     {14, 11,  2, 12,  4,  7, 13,  1,  5,  0, 15, 10,  3,  9,  8,  6},
     { 4,  2,  1, 11, 10, 13,  7,  8, 15,  9, 12,  5,  6,  3,  0, 14},
     {11,  8, 12,  7,  1, 14,  2, 13,  6, 15,  0,  9, 10,  4,  5,  3}},
    {{12,  1, 10, 15,  9,  2,  6,  8,  0, 13,  3,  4, 14,  7,  5, 11},
     {10, 15,  4,  2,  7, 12,  9,  5,  6,  1, 13, 14,  0, 11,  3,  8},
     { 9, 14, 15,  5,  2,  8, 12,  3,  7,  0,  4, 10,  1, 13, 11,  6},
     { 4,  3,  2, 12,  9,  5, 15, 10, 11, 14,  1,  7,  6,  0,  8, 13}},
    {{ 4, 11,  2, 14, 15,  0,  8, 13,  3, 12,  9,  7,  5, 10,  6,  1},
     {13,  0, 11,  7,  4,  9,  1, 10, 14,  3,  5, 12,  2, 15,  8,  6},
     { 1,  4, 11, 13, 12,  3,  7, 14, 10, 15,  6,  8,  0,  5,  9,  2},
     { 6, 11, 13,  8,  1,  4, 10,  7,  9,  5,  0, 15, 14,  2,  3, 12}},
    {{13,  2,  8,  4,  6, 15, 11,  1, 10,  9,  3, 14,  5,  0, 12,  7},
     { 1, 15, 13,  8, 10,  3,  7,  4, 12,  5,  6, 11,  0, 14,  9,  2},
     { 7, 11,  4,  1,  9, 12, 14,  2,  0,  6, 10, 13, 15,  3,  5,  8},
     { 2,  1, 14,  7,  4, 10,  8, 13, 15, 12,  9,  0,  3,  5,  6, 11}}};
// clang-format on

// Spreads 8 bytes into 64 one-bit values, most significant bit of byte 0 first.
void SpreadBits(const uint8_t bytes[8], uint8_t bits[64]) {
    for (int i = 0; i < 64; ++i) bits[i] = (bytes[i / 8] >> (7 - i % 8)) & 1;
}

// Packs 64 one-bit values back into 8 bytes, most significant bit first.
void PackBits(const uint8_t bits[64], uint8_t bytes[8]) {
    for (int i = 0; i < 8; ++i) {
        uint8_t value = 0;
        for (int j = 0; j < 8; ++j) value = static_cast<uint8_t>((value << 1) | bits[i * 8 + j]);
        bytes[i] = value;
    }
}

// out[i] = in[table[i] - 1] for the table's `count` entries.
void Permute(const uint8_t* in, const uint8_t* table, int count, uint8_t* out) {
    for (int i = 0; i < count; ++i) out[i] = in[table[i] - 1];
}

void RotateLeft(uint8_t half[28], int count) {
    uint8_t saved[2];
    std::memcpy(saved, half, count);
    std::memmove(half, half + count, 28 - count);
    std::memcpy(half + 28 - count, saved, count);
}

// f(R, K) = P(S(E(R) XOR K)).
void RoundFunction(const uint8_t right[32], const uint8_t key[48], uint8_t out[32]) {
    uint8_t expanded[48];
    Permute(right, kExpansion, 48, expanded);
    for (int i = 0; i < 48; ++i) expanded[i] ^= key[i];
    uint8_t substituted[32];
    for (int box = 0; box < 8; ++box) {
        const uint8_t* b = expanded + box * 6;
        int row = 2 * b[0] + b[5];
        int column = 8 * b[1] + 4 * b[2] + 2 * b[3] + b[4];
        uint8_t value = kSBoxes[box][row][column];
        for (int j = 0; j < 4; ++j) substituted[box * 4 + j] = (value >> (3 - j)) & 1;
    }
    Permute(substituted, kPermutation, 32, out);
}

}  // namespace

CDes::CDes() {
    std::memset(m_roundKeys, 0, sizeof m_roundKeys);
    std::memset(m_encryptedBits, 0, sizeof m_encryptedBits);
    std::memset(m_decryptedBits, 0, sizeof m_decryptedBits);
    std::memset(m_encryptedBlock, 0, sizeof m_encryptedBlock);
    std::memset(m_decryptedBlock, 0, sizeof m_decryptedBlock);
    std::memset(m_output, 0, sizeof m_output);
}

void CDes::SetKey(const uint8_t key[8]) {
    uint8_t keyBits[64];
    SpreadBits(key, keyBits);
    uint8_t halves[56];  // C (the first 28) followed by D (the last 28)
    Permute(keyBits, kPermutedChoice1, 56, halves);
    for (int round = 0; round < 16; ++round) {
        RotateLeft(halves, kKeyShifts[round]);
        RotateLeft(halves + 28, kKeyShifts[round]);
        Permute(halves, kPermutedChoice2, 48, m_roundKeys[round]);
    }
}

namespace {

// The sixteen rounds and the permutations around them; `decipher` runs the round
// keys from K16 down to K1.
void Crypt(const uint8_t (&roundKeys)[16][48], const uint8_t block[8], bool decipher,
           uint8_t bits[64], uint8_t packed[8]) {
    uint8_t input[64];
    SpreadBits(block, input);
    uint8_t permuted[64];
    Permute(input, kInitialPermutation, 64, permuted);
    uint8_t left[32], right[32];
    std::memcpy(left, permuted, 32);
    std::memcpy(right, permuted + 32, 32);
    for (int round = 0; round < 16; ++round) {
        const uint8_t* key = roundKeys[decipher ? 15 - round : round];
        uint8_t f[32];
        RoundFunction(right, key, f);
        for (int i = 0; i < 32; ++i) {
            uint8_t newRight = left[i] ^ f[i];
            left[i] = right[i];
            right[i] = newRight;
        }
    }
    uint8_t joined[64];  // R16 followed by L16
    std::memcpy(joined, right, 32);
    std::memcpy(joined + 32, left, 32);
    Permute(joined, kFinalPermutation, 64, bits);
    PackBits(bits, packed);
}

}  // namespace

void CDes::EncryptBlock(const uint8_t block[8]) {
    Crypt(m_roundKeys, block, false, m_encryptedBits, m_encryptedBlock);
}

void CDes::DecryptBlock(const uint8_t block[8]) {
    Crypt(m_roundKeys, block, true, m_decryptedBits, m_decryptedBlock);
}

void CDes::DecryptBuffer(const uint8_t* data, uint32_t length) {
    if (length > kMaxBufferLength) length = kMaxBufferLength;
    const uint32_t wholeBlocks = length / 8;
    const uint32_t remainder = length % 8;
    for (uint32_t k = 0; k < wholeBlocks; ++k) {
        DecryptBlock(data + 8 * k);
        std::memcpy(m_output + 8 * k, m_decryptedBlock, 8);
    }
    if (remainder != 0) {
        DecryptBlock(data + 8 * wholeBlocks);
        std::memcpy(m_output + 8 * wholeBlocks, m_decryptedBlock, remainder);
    }
    m_output[length] = 0;
}
