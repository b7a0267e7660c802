#pragma once
// CDes: the Data Encryption Standard (FIPS 46-3), block by block (electronic
// codebook: no chaining, no padding). Both file formats of the tool are enciphered
// with it.
//
// The rounds work on 32-bit words (cipher/DesCore.h); the members below show the key
// schedule and the last block of each direction one bit per byte, as callers and
// tests read them.

#include <cstddef>
#include <cstdint>

class CDes {
public:
    CDes();

    // Computes the 16 round keys from 8 key bytes. Parity bits are ignored and
    // no key is refused. Setting the key already in force again costs next to nothing.
    void SetKey(const uint8_t key[8]);
    // Enciphers 8 bytes; the result is left in m_encryptedBlock / m_encryptedBits.
    void EncryptBlock(const uint8_t block[8]);
    // Deciphers 8 bytes; the result is left in m_decryptedBlock / m_decryptedBits.
    void DecryptBlock(const uint8_t block[8]);
    // Deciphers ceil(length / 8) whole blocks of `data` and leaves the first
    // `length` plain bytes in m_output, followed by one zero byte. A length above
    // kMaxBufferLength is cut to it, so m_output is never overrun.
    void DecryptBuffer(const uint8_t* data, uint32_t length);

    // `count` whole blocks from `in` to `out` (which may be `in`), as that many
    // EncryptBlock or DecryptBlock calls would give them: afterwards the block and
    // bit members hold the last block. A count of 0 changes nothing.
    void EncryptBlocks(const uint8_t* in, uint8_t* out, size_t count);
    void DecryptBlocks(const uint8_t* in, uint8_t* out, size_t count);

    static constexpr uint32_t kOutputSize = 8192;
    static constexpr uint32_t kMaxBufferLength = kOutputSize - 1;

    uint8_t m_roundKeys[16][48];
    uint8_t m_encryptedBits[64];
    uint8_t m_decryptedBits[64];
    uint8_t m_encryptedBlock[8];
    uint8_t m_decryptedBlock[8];
    uint8_t m_output[kOutputSize];

private:
    bool m_bKeySet = false;
    uint8_t m_key[8] = {};
    uint64_t m_roundKeyWords[16] = {};    // K1 to K16, 48 bits each
    uint32_t m_encryptSchedule[32] = {};  // the round keys as the rounds use them
    uint32_t m_decryptSchedule[32] = {};
};
