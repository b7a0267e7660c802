#include "cipher/DesCore.h"

#include <bit>

#include "cipher/DesTables.h"

namespace vantrel::des {

namespace {

// While a block runs through the rounds, each half is held with the standard's 32
// bits rotated left by one place (bit 2 in the top bit, bit 1 in the lowest). The
// expansion E then needs no bit moves: the six input bits of S-box n (1 to 8) are
// the lowest six bits of the half rotated left by 4n places.

constexpr uint32_t RotateLeft(uint32_t value, int count) { return std::rotl(value, count); }
constexpr uint32_t RotateRight(uint32_t value, int count) { return std::rotr(value, count); }

// Exchanges the bits of `low` under `mask` with the bits of `high` `shift` places
// above them. Doing it twice undoes it.
constexpr void SwapBits(uint32_t& high, uint32_t& low, int shift, uint32_t mask) {
    const uint32_t t = ((high >> shift) ^ low) & mask;
    low ^= t;
    high ^= t << shift;
}

// The block's first and second word in; L and R out, in the rounds' layout.
constexpr void InitialPermutation(uint32_t& left, uint32_t& right) {
    SwapBits(left, right, 4, 0x0F0F0F0F);
    SwapBits(left, right, 16, 0x0000FFFF);
    SwapBits(right, left, 2, 0x33333333);
    SwapBits(right, left, 8, 0x00FF00FF);
    right = RotateLeft(right, 1);
    const uint32_t t = (left ^ right) & 0xAAAAAAAA;
    left = RotateLeft(left ^ t, 1);
    right ^= t;
}

// The steps of InitialPermutation undone in reverse order: R16 and L16 in the
// rounds' layout in, the block's first and second word out.
constexpr void FinalPermutation(uint32_t& first, uint32_t& second) {
    first = RotateRight(first, 1);
    const uint32_t t = (first ^ second) & 0xAAAAAAAA;
    first ^= t;
    second = RotateRight(second ^ t, 1);
    SwapBits(second, first, 8, 0x00FF00FF);
    SwapBits(second, first, 2, 0x33333333);
    SwapBits(first, second, 16, 0x0000FFFF);
    SwapBits(first, second, 4, 0x0F0F0F0F);
}

// The 6-bit input of S-box `box` (0 to 7) from a half in the rounds' layout.
constexpr uint32_t SBoxInput(uint32_t half, int box) {
    return RotateLeft(half, 4 * (box + 1)) & 0x3F;
}

// Each S-box with P applied to its output, in the rounds' layout: the eight entries
// for one round, one per S-box, XOR together to f. An entry is found by any index
// whose lowest six bits are the S-box input, so the round takes whole bytes.
struct SpBoxes {
    uint32_t box[8][256];
};

constexpr SpBoxes MakeSpBoxes() {
    SpBoxes boxes{};
    for (int box = 0; box < 8; ++box) {
        for (uint32_t index = 0; index < 256; ++index) {
            const uint32_t input = index & 0x3F;
            const int row = static_cast<int>(((input >> 4) & 2) | (input & 1));
            const int column = static_cast<int>((input >> 1) & 0xF);
            const uint32_t substituted = uint32_t{kSBoxes[box][row][column]} << (28 - 4 * box);
            uint32_t permuted = 0;
            for (int i = 0; i < 32; ++i)
                permuted |= ((substituted >> (32 - kPermutation[i])) & 1) << (31 - i);
            boxes.box[box][index] = RotateLeft(permuted, 1);
        }
    }
    return boxes;
}

constexpr SpBoxes kSpBoxes = MakeSpBoxes();

// The words of a 64-bit block with only bit `n` (1 to 64) set.
constexpr uint32_t FirstWordOfBit(int n) { return n <= 32 ? 1u << (32 - n) : 0; }
constexpr uint32_t SecondWordOfBit(int n) { return n > 32 ? 1u << (64 - n) : 0; }

// The bit-swap steps against the standard's tables, bit by bit.
constexpr bool PermutationsMatchTheStandard() {
    for (int n = 1; n <= 64; ++n) {
        uint32_t expectedLeft = 0, expectedRight = 0, expectedFirst = 0, expectedSecond = 0;
        for (int i = 1; i <= 64; ++i) {
            if (kInitialPermutation[i - 1] == n) {
                expectedLeft |= FirstWordOfBit(i);
                expectedRight |= SecondWordOfBit(i);
            }
            if (kFinalPermutation[i - 1] == n) {
                expectedFirst |= FirstWordOfBit(i);
                expectedSecond |= SecondWordOfBit(i);
            }
        }
        uint32_t left = FirstWordOfBit(n), right = SecondWordOfBit(n);
        InitialPermutation(left, right);
        if (left != RotateLeft(expectedLeft, 1) || right != RotateLeft(expectedRight, 1))
            return false;
        uint32_t first = RotateLeft(FirstWordOfBit(n), 1),
                 second = RotateLeft(SecondWordOfBit(n), 1);
        FinalPermutation(first, second);
        if (first != expectedFirst || second != expectedSecond) return false;
    }
    return true;
}
static_assert(PermutationsMatchTheStandard());

// The S-box inputs taken from the rounds' layout against the expansion E.
constexpr bool ExpansionMatchesTheStandard() {
    for (int n = 1; n <= 32; ++n) {
        const uint32_t half = RotateLeft(1u << (32 - n), 1);
        for (int j = 0; j < 48; ++j) {
            const uint32_t bit = (SBoxInput(half, j / 6) >> (5 - j % 6)) & 1;
            if (bit != (kExpansion[j] == n ? 1u : 0u)) return false;
        }
    }
    return true;
}
static_assert(ExpansionMatchesTheStandard());

// f(R, K) = P(S(E(R) XOR K)). The eight look-ups are joined as a tree, not a chain,
// so that a lone block waits for three XORs after its loads rather than eight.
inline uint32_t RoundFunction(uint32_t right, const uint32_t* key) {
    const uint32_t odd = right ^ key[0];  // the inputs of S-boxes 1, 3, 5 and 7
    const uint32_t even = right ^ key[1];
    const auto& sp = kSpBoxes.box;
    const uint32_t a = sp[0][RotateLeft(odd, 4) & 0xFF] ^ sp[1][even >> 24];
    const uint32_t b = sp[2][(odd >> 20) & 0xFF] ^ sp[3][(even >> 16) & 0xFF];
    const uint32_t c = sp[4][(odd >> 12) & 0xFF] ^ sp[5][(even >> 8) & 0xFF];
    const uint32_t d = sp[6][(odd >> 4) & 0xFF] ^ sp[7][even & 0xFF];
    return (a ^ b) ^ (c ^ d);
}

inline uint32_t LoadWord(const uint8_t* bytes) {
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

inline void StoreWord(uint32_t word, uint8_t* bytes) {
    bytes[0] = static_cast<uint8_t>(word >> 24);
    bytes[1] = static_cast<uint8_t>(word >> 16);
    bytes[2] = static_cast<uint8_t>(word >> 8);
    bytes[3] = static_cast<uint8_t>(word);
}

}  // namespace

void ComputeRoundKeys(const uint8_t key[8], uint64_t roundKeys[16]) {
    uint64_t keyBits = 0;
    for (int i = 0; i < 8; ++i) keyBits = keyBits << 8 | key[i];
    uint64_t halves = 0;  // C in bits 55..28, D in bits 27..0
    for (int i = 0; i < 56; ++i)
        halves = halves << 1 | ((keyBits >> (64 - kPermutedChoice1[i])) & 1);
    uint32_t c = static_cast<uint32_t>(halves >> 28), d = static_cast<uint32_t>(halves & 0xFFFFFFF);
    for (int round = 0; round < 16; ++round) {
        const int shift = kKeyShifts[round];
        c = ((c << shift) | (c >> (28 - shift))) & 0xFFFFFFF;
        d = ((d << shift) | (d >> (28 - shift))) & 0xFFFFFFF;
        const uint64_t joined = uint64_t{c} << 28 | d;
        uint64_t roundKey = 0;
        for (int i = 0; i < 48; ++i)
            roundKey = roundKey << 1 | ((joined >> (56 - kPermutedChoice2[i])) & 1);
        roundKeys[round] = roundKey;
    }
}

void PrepareSchedule(const uint64_t roundKeys[16], bool decipher, uint32_t schedule[32]) {
    for (int round = 0; round < 16; ++round) {
        const uint64_t key = roundKeys[decipher ? 15 - round : round];
        uint32_t words[2] = {0, 0};  // S-boxes 1, 3, 5, 7 and 2, 4, 6, 8
        for (int box = 0; box < 8; ++box) {
            const uint32_t group = static_cast<uint32_t>(key >> (42 - 6 * box)) & 0x3F;
            words[box % 2] |= RotateRight(group, 4 * (box + 1));  // where SBoxInput finds it
        }
        schedule[2 * round] = words[0];
        schedule[2 * round + 1] = words[1];
    }
}

void CryptBlocks(const uint32_t schedule[32], const uint8_t* in, uint8_t* out, size_t count) {
    // Two blocks at a time: their rounds do not depend on each other, so the
    // processor overlaps the table look-ups of the one with those of the other.
    size_t k = 0;
    for (; k + 2 <= count; k += 2, in += 16, out += 16) {
        uint32_t left0 = LoadWord(in), right0 = LoadWord(in + 4);
        uint32_t left1 = LoadWord(in + 8), right1 = LoadWord(in + 12);
        InitialPermutation(left0, right0);
        InitialPermutation(left1, right1);
        for (int round = 0; round < 16; round += 2) {
            left0 ^= RoundFunction(right0, schedule + 2 * round);
            left1 ^= RoundFunction(right1, schedule + 2 * round);
            right0 ^= RoundFunction(left0, schedule + 2 * round + 2);
            right1 ^= RoundFunction(left1, schedule + 2 * round + 2);
        }
        FinalPermutation(right0, left0);
        FinalPermutation(right1, left1);
        StoreWord(right0, out);
        StoreWord(left0, out + 4);
        StoreWord(right1, out + 8);
        StoreWord(left1, out + 12);
    }
    if (k < count) {
        uint32_t left = LoadWord(in), right = LoadWord(in + 4);
        InitialPermutation(left, right);
        for (int round = 0; round < 16; round += 2) {
            left ^= RoundFunction(right, schedule + 2 * round);
            right ^= RoundFunction(left, schedule + 2 * round + 2);
        }
        FinalPermutation(right, left);
        StoreWord(right, out);
        StoreWord(left, out + 4);
    }
}

}  // namespace vantrel::des
