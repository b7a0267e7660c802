#pragma once
// CDes: the Data Encryption Standard (FIPS 46-3), one 8-byte block at a time
// (electronic codebook: no chaining, no padding). Both file formats of the tool
// are enciphered with it.

#include <cstdint>

class CDes {
public:
    CDes();

    // Computes the 16 round keys from 8 key bytes. Parity bits are ignored and
    // no key is refused.
    void SetKey(const uint8_t key[8]);
    // Enciphers 8 bytes; the result is left in m_encryptedBlock / m_encryptedBits.
    void EncryptBlock(const uint8_t block[8]);
    // Deciphers 8 bytes; the result is left in m_decryptedBlock / m_decryptedBits.
    void DecryptBlock(const uint8_t block[8]);
    // Deciphers ceil(length / 8) whole blocks of `data` and leaves the first
    // `length` plain bytes in m_output, followed by one zero byte. A length above
    // kMaxBufferLength is cut to it, so m_output is never overrun.
    void DecryptBuffer(const uint8_t* data, uint32_t length);

    static constexpr uint32_t kOutputSize = 8192;
    static constexpr uint32_t kMaxBufferLength = kOutputSize - 1;

    uint8_t m_roundKeys[16][48];
    uint8_t m_encryptedBits[64];
    uint8_t m_decryptedBits[64];
    uint8_t m_encryptedBlock[8];
    uint8_t m_decryptedBlock[8];
    uint8_t m_output[kOutputSize];
};
