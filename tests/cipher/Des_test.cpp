// CDes against the FIPS 46-3 worked example and vectors made with OpenSSL.

#include "cipher/Des.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TestData.h"

namespace {

std::vector<uint8_t> Hex(const std::string& text) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::vector<uint8_t> Bytes(const uint8_t* data, size_t length) {
    return std::vector<uint8_t>(data, data + length);
}

// The 48 one-bit values of a round key as 12 hex digits.
std::string RoundKeyHex(const uint8_t bits[48]) {
    std::string text;
    for (int i = 0; i < 48; i += 4)
        text += "0123456789ABCDEF"[bits[i] * 8 + bits[i + 1] * 4 + bits[i + 2] * 2 + bits[i + 3]];
    return text;
}

const std::vector<uint8_t> kFipsKey = Hex("133457799BBCDFF1");
const std::vector<uint8_t> kFipsPlain = Hex("0123456789ABCDEF");
const std::vector<uint8_t> kFipsCipher = Hex("85E813540F0AB405");

TEST(Des, FipsWorkedExample) {
    CDes des;
    des.SetKey(kFipsKey.data());
    EXPECT_EQ(RoundKeyHex(des.m_roundKeys[0]), "1B02EFFC7072");
    EXPECT_EQ(RoundKeyHex(des.m_roundKeys[15]), "CB3D8B0E17F5");

    des.EncryptBlock(kFipsPlain.data());
    EXPECT_EQ(Bytes(des.m_encryptedBlock, 8), kFipsCipher);
    des.DecryptBlock(kFipsCipher.data());
    EXPECT_EQ(Bytes(des.m_decryptedBlock, 8), kFipsPlain);

    // The bit members hold the same blocks, most significant bit of byte 0 first.
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(des.m_encryptedBits[i], (kFipsCipher[i / 8] >> (7 - i % 8)) & 1) << i;
        EXPECT_EQ(des.m_decryptedBits[i], (kFipsPlain[i / 8] >> (7 - i % 8)) & 1) << i;
    }
}

TEST(Des, MatchesOpenSslVectorsBothWays) {
    const std::string text = vantrel::test::ReadTestData("des_vectors.txt");
    ASSERT_FALSE(text.empty()) << "tests/data/des_vectors.txt not readable";
    std::istringstream lines(text);
    std::string line;
    int vectors = 0;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string direction, keyHex, inputHex, outputHex;
        fields >> direction >> keyHex >> inputHex >> outputHex;
        const std::vector<uint8_t> key = Hex(keyHex), input = Hex(inputHex),
                                   output = Hex(outputHex);
        ASSERT_EQ(input.size(), output.size()) << line;
        const std::vector<uint8_t>& plain = direction == "E" ? input : output;
        const std::vector<uint8_t>& cipher = direction == "E" ? output : input;

        CDes des;
        des.SetKey(key.data());
        for (size_t at = 0; at < plain.size(); at += 8) {
            des.EncryptBlock(plain.data() + at);
            EXPECT_EQ(Bytes(des.m_encryptedBlock, 8), Bytes(cipher.data() + at, 8)) << line;
            des.DecryptBlock(cipher.data() + at);
            EXPECT_EQ(Bytes(des.m_decryptedBlock, 8), Bytes(plain.data() + at, 8)) << line;
        }
        des.DecryptBuffer(cipher.data(), static_cast<uint32_t>(cipher.size()));
        EXPECT_EQ(Bytes(des.m_output, plain.size()), plain) << line;
        ++vectors;
    }
    EXPECT_GE(vectors, 10);
}

TEST(Des, BulkCallsMatchBlockByBlockAndLeaveTheLastBlock) {
    std::vector<uint8_t> input(8 * 7);
    for (size_t i = 0; i < input.size(); ++i) input[i] = static_cast<uint8_t>(i * 29 + 3);
    for (size_t count : {size_t{1}, size_t{2}, size_t{7}}) {
        CDes bulk, single;
        bulk.SetKey(kFipsKey.data());
        single.SetKey(kFipsKey.data());
        std::vector<uint8_t> enciphered(8 * count), deciphered(8 * count);
        bulk.EncryptBlocks(input.data(), enciphered.data(), count);
        bulk.DecryptBlocks(input.data(), deciphered.data(), count);
        for (size_t k = 0; k < count; ++k) {
            single.EncryptBlock(input.data() + 8 * k);
            single.DecryptBlock(input.data() + 8 * k);
            EXPECT_EQ(Bytes(enciphered.data() + 8 * k, 8), Bytes(single.m_encryptedBlock, 8));
            EXPECT_EQ(Bytes(deciphered.data() + 8 * k, 8), Bytes(single.m_decryptedBlock, 8));
        }
        EXPECT_EQ(std::memcmp(&bulk.m_encryptedBits, &single.m_encryptedBits, 64), 0) << count;
        EXPECT_EQ(std::memcmp(&bulk.m_decryptedBits, &single.m_decryptedBits, 64), 0) << count;
        EXPECT_EQ(Bytes(bulk.m_decryptedBlock, 8), Bytes(single.m_decryptedBlock, 8)) << count;

        // In place, and back again.
        std::vector<uint8_t> buffer = enciphered;
        bulk.DecryptBlocks(buffer.data(), buffer.data(), count);
        EXPECT_EQ(buffer, Bytes(input.data(), 8 * count)) << count;
    }
    CDes untouched;
    untouched.SetKey(kFipsKey.data());
    untouched.DecryptBlocks(input.data(), nullptr, 0);
    EXPECT_EQ(Bytes(untouched.m_decryptedBlock, 8), std::vector<uint8_t>(8, 0));
}

TEST(Des, ChangingTheKeyBackAndForthUsesTheKeyInForce) {
    const std::vector<uint8_t> other = Hex("0E329232EA6D0D73");
    CDes des, fresh;
    fresh.SetKey(other.data());
    des.SetKey(kFipsKey.data());
    des.SetKey(other.data());
    EXPECT_EQ(std::memcmp(des.m_roundKeys, fresh.m_roundKeys, sizeof des.m_roundKeys), 0);
    des.EncryptBlock(kFipsPlain.data());
    EXPECT_EQ(Bytes(des.m_encryptedBlock, 8), Hex("31AA59FEB64386A6"));
    des.SetKey(kFipsKey.data());
    std::memset(des.m_roundKeys, 0, sizeof des.m_roundKeys);
    des.SetKey(kFipsKey.data());  // the same key again shows its schedule again
    EXPECT_EQ(RoundKeyHex(des.m_roundKeys[0]), "1B02EFFC7072");
    des.EncryptBlock(kFipsPlain.data());
    EXPECT_EQ(Bytes(des.m_encryptedBlock, 8), kFipsCipher);
}

TEST(Des, ParityBitsOfTheKeyAreIgnored) {
    std::vector<uint8_t> flipped = kFipsKey;
    for (uint8_t& byte : flipped) byte ^= 0x01;
    CDes a, b;
    a.SetKey(kFipsKey.data());
    b.SetKey(flipped.data());
    EXPECT_EQ(std::memcmp(a.m_roundKeys, b.m_roundKeys, sizeof a.m_roundKeys), 0);
    b.EncryptBlock(kFipsPlain.data());
    EXPECT_EQ(Bytes(b.m_encryptedBlock, 8), kFipsCipher);
}

TEST(Des, WeakKeysAreAcceptedAndBehaveAsWeakKeys) {
    // With a weak key enciphering is its own inverse.
    for (const char* keyHex : {"0101010101010101", "FEFEFEFEFEFEFEFE", "E0E0E0E0F1F1F1F1"}) {
        const std::vector<uint8_t> key = Hex(keyHex);
        CDes des;
        des.SetKey(key.data());
        des.EncryptBlock(kFipsPlain.data());
        uint8_t once[8];
        std::memcpy(once, des.m_encryptedBlock, 8);
        EXPECT_NE(Bytes(once, 8), kFipsPlain) << keyHex;
        des.EncryptBlock(once);
        EXPECT_EQ(Bytes(des.m_encryptedBlock, 8), kFipsPlain) << keyHex;
    }
}

class DesBufferTest : public ::testing::Test {
protected:
    void SetUp() override {
        // 1025 blocks: two halves of different blocks, and block 3 repeating block 0.
        cipher.resize(8 * 1025);
        for (size_t i = 0; i < cipher.size(); ++i) cipher[i] = static_cast<uint8_t>(i * 7 + i / 8);
        std::memcpy(&cipher[24], &cipher[0], 8);
        guarded.des.SetKey(kFipsKey.data());
        std::memset(guarded.guard, 0xA5, sizeof guarded.guard);
        std::memset(guarded.des.m_output, 0xCC, sizeof guarded.des.m_output);
    }

    // The plaintext of block k, deciphered on its own.
    std::vector<uint8_t> Block(size_t k) {
        CDes single;
        single.SetKey(kFipsKey.data());
        single.DecryptBlock(cipher.data() + 8 * k);
        return Bytes(single.m_decryptedBlock, 8);
    }

    bool GuardIntact() const {
        for (uint8_t byte : guarded.guard)
            if (byte != 0xA5) return false;
        return true;
    }

    std::vector<uint8_t> cipher;
    struct {
        CDes des;
        uint8_t guard[64];
    } guarded;
};

TEST_F(DesBufferTest, WholeBlocksAreDecipheredIndependently) {
    guarded.des.DecryptBuffer(cipher.data(), 32);
    for (size_t k = 0; k < 4; ++k) EXPECT_EQ(Bytes(guarded.des.m_output + 8 * k, 8), Block(k)) << k;
    EXPECT_EQ(Bytes(guarded.des.m_output, 8), Bytes(guarded.des.m_output + 24, 8));  // no chaining
    EXPECT_EQ(guarded.des.m_output[32], 0);
    EXPECT_EQ(Bytes(guarded.des.m_decryptedBlock, 8), Block(3));
}

TEST_F(DesBufferTest, PartialLastBlockIsDecipheredWholeAndCut) {
    guarded.des.DecryptBuffer(cipher.data(), 5);
    std::vector<uint8_t> first = Block(0);
    EXPECT_EQ(Bytes(guarded.des.m_output, 5), Bytes(first.data(), 5));
    EXPECT_EQ(guarded.des.m_output[5], 0);
    EXPECT_EQ(guarded.des.m_output[6], 0xCC);  // untouched beyond the terminator
    EXPECT_EQ(Bytes(guarded.des.m_decryptedBlock, 8), first);

    guarded.des.DecryptBuffer(cipher.data(), 44);
    std::vector<uint8_t> of44 = Bytes(guarded.des.m_output, 44);
    EXPECT_EQ(guarded.des.m_output[44], 0);
    EXPECT_EQ(Bytes(guarded.des.m_decryptedBlock, 8), Block(5));  // six blocks deciphered
    EXPECT_EQ(Bytes(of44.data() + 40, 4), Bytes(Block(5).data(), 4));
    guarded.des.DecryptBuffer(cipher.data(), 40);
    EXPECT_EQ(Bytes(guarded.des.m_output, 40), Bytes(of44.data(), 40));
}

TEST_F(DesBufferTest, ZeroLengthOnlyTerminates) {
    guarded.des.DecryptBuffer(cipher.data(), 8);
    guarded.des.m_output[1] = 0x77;
    guarded.des.DecryptBuffer(cipher.data() + 8, 0);
    EXPECT_EQ(guarded.des.m_output[0], 0);
    EXPECT_EQ(guarded.des.m_output[1], 0x77);
    EXPECT_EQ(Bytes(guarded.des.m_decryptedBlock, 8), Block(0));  // nothing deciphered
}

TEST_F(DesBufferTest, LengthAboveTheLimitIsCutAndNeverOverrunsTheOutput) {
    for (uint32_t length : {CDes::kMaxBufferLength + 1, 8200u, 0xFFFFFFFFu}) {
        std::memset(guarded.des.m_output, 0xCC, sizeof guarded.des.m_output);
        guarded.des.DecryptBuffer(cipher.data(), length);
        EXPECT_TRUE(GuardIntact()) << length;
        EXPECT_EQ(guarded.des.m_output[CDes::kMaxBufferLength], 0) << length;
        EXPECT_EQ(Bytes(guarded.des.m_output + 8 * 1022, 8), Block(1022)) << length;
        EXPECT_EQ(Bytes(guarded.des.m_output + 8 * 1023, 7), Bytes(Block(1023).data(), 7))
            << length;
    }
    // The largest length allowed fills the output exactly.
    guarded.des.DecryptBuffer(cipher.data(), CDes::kMaxBufferLength);
    EXPECT_TRUE(GuardIntact());
    EXPECT_EQ(guarded.des.m_output[CDes::kMaxBufferLength], 0);
}

}  // namespace
