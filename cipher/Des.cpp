#include "cipher/Des.h"

#include <array>
#include <cstring>

#include "cipher/DesCore.h"

namespace {

// The eight bits of a byte as eight bytes of 0 or 1, most significant bit first.
constexpr std::array<std::array<uint8_t, 8>, 256> MakeSpreadTable() {
    std::array<std::array<uint8_t, 8>, 256> table{};
    for (int value = 0; value < 256; ++value)
        for (int bit = 0; bit < 8; ++bit) table[value][bit] = (value >> (7 - bit)) & 1;
    return table;
}

constexpr std::array<std::array<uint8_t, 8>, 256> kSpreadTable = MakeSpreadTable();

void SpreadBits(const uint8_t* bytes, size_t count, uint8_t* bits) {
    for (size_t i = 0; i < count; ++i) std::memcpy(bits + 8 * i, kSpreadTable[bytes[i]].data(), 8);
}

// The last block of a run into a direction's block and bit members.
void KeepLastBlock(const uint8_t* block, uint8_t packed[8], uint8_t bits[64]) {
    if (block != packed) std::memcpy(packed, block, 8);
    SpreadBits(packed, 8, bits);
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
    if (!m_bKeySet || std::memcmp(key, m_key, sizeof m_key) != 0) {
        std::memcpy(m_key, key, sizeof m_key);
        vantrel::des::ComputeRoundKeys(key, m_roundKeyWords);
        vantrel::des::PrepareSchedule(m_roundKeyWords, false, m_encryptSchedule);
        vantrel::des::PrepareSchedule(m_roundKeyWords, true, m_decryptSchedule);
        m_bKeySet = true;
    }
    // Refilled even for the same key, so the member always shows the schedule in force.
    for (int round = 0; round < 16; ++round) {
        uint8_t bytes[6];
        for (int i = 0; i < 6; ++i)
            bytes[i] = static_cast<uint8_t>(m_roundKeyWords[round] >> (40 - 8 * i));
        SpreadBits(bytes, 6, m_roundKeys[round]);
    }
}

void CDes::EncryptBlock(const uint8_t block[8]) { EncryptBlocks(block, m_encryptedBlock, 1); }

void CDes::DecryptBlock(const uint8_t block[8]) { DecryptBlocks(block, m_decryptedBlock, 1); }

void CDes::EncryptBlocks(const uint8_t* in, uint8_t* out, size_t count) {
    if (count == 0) return;
    vantrel::des::CryptBlocks(m_encryptSchedule, in, out, count);
    KeepLastBlock(out + 8 * (count - 1), m_encryptedBlock, m_encryptedBits);
}

void CDes::DecryptBlocks(const uint8_t* in, uint8_t* out, size_t count) {
    if (count == 0) return;
    vantrel::des::CryptBlocks(m_decryptSchedule, in, out, count);
    KeepLastBlock(out + 8 * (count - 1), m_decryptedBlock, m_decryptedBits);
}

void CDes::DecryptBuffer(const uint8_t* data, uint32_t length) {
    if (length > kMaxBufferLength) length = kMaxBufferLength;
    const uint32_t wholeBlocks = length / 8;
    const uint32_t remainder = length % 8;
    DecryptBlocks(data, m_output, wholeBlocks);
    if (remainder != 0) {
        DecryptBlock(data + 8 * wholeBlocks);
        std::memcpy(m_output + 8 * wholeBlocks, m_decryptedBlock, remainder);
    }
    m_output[length] = 0;
}
