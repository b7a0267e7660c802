#pragma once
// Talks to a SimWriter straight through its HID platform, as a tool would, with
// hand-written command bytes: the tests of the simulator use nothing of the tool.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "link/HidPlatform.h"
#include "sim/SimWriter.h"

namespace vantrel::sim::test {

using Bytes64 = std::array<uint8_t, 64>;

// A 64-byte record that starts with `head` and is zero after it.
inline Bytes64 Record(std::initializer_list<uint8_t> head) {
    Bytes64 record{};
    size_t i = 0;
    for (uint8_t byte : head) record[i++] = byte;
    return record;
}

// One open read handle and one open write handle on a path.
struct SimLink {
    IHidPlatform& platform;
    HidHandle read = kInvalidHidHandle;
    HidHandle write = kInvalidHidHandle;

    SimLink(IHidPlatform& p, const std::wstring& path) : platform(p) {
        read = platform.OpenForRead(path);
        write = platform.OpenForWrite(path);
    }
    ~SimLink() { Close(); }
    void Close() {
        if (read != kInvalidHidHandle) platform.Close(read);
        if (write != kInvalidHidHandle) platform.Close(write);
        read = write = kInvalidHidHandle;
    }
    bool IsOpen() const { return read != kInvalidHidHandle && write != kInvalidHidHandle; }

    HidIo Send(const Bytes64& data, uint32_t timeoutMs = 4000) {
        uint8_t report[65] = {0};
        std::copy(data.begin(), data.end(), report + 1);
        uint32_t transferred = 0;
        return platform.Write(write, report, 65, timeoutMs, transferred);
    }
    // The 64 data bytes of the next input report; `io` tells how the read ended.
    Bytes64 Receive(HidIo& io, uint32_t& transferred, uint32_t timeoutMs = 4000) {
        uint8_t report[65] = {0};
        transferred = 0;
        io = platform.Read(read, report, 65, timeoutMs, transferred);
        Bytes64 data{};
        std::copy(report + 1, report + 65, data.begin());
        return data;
    }
    // Reads one reply and fails the test when none comes.
    Bytes64 Reply() {
        HidIo io;
        uint32_t transferred = 0;
        Bytes64 data = Receive(io, transferred);
        EXPECT_EQ(io, HidIo::Completed);
        EXPECT_EQ(transferred, 65u);
        return data;
    }
    // True when no reply is waiting (the read waits out its time-out).
    bool NoReply(uint32_t timeoutMs = 4000) {
        HidIo io;
        uint32_t transferred = 0;
        Receive(io, transferred, timeoutMs);
        return io == HidIo::TimedOut;
    }
};

// Boot-loader commands as the writer expects them on the wire.
inline Bytes64 EraseCommand(uint32_t address) {
    return Record({0x05, 0x01, 0x01, 0x00, 0x01, 0x00, 0x02, 0x00, uint8_t(address),
                   uint8_t(address >> 8), uint8_t(address >> 16), uint8_t(address >> 24)});
}
inline Bytes64 ProgramCommand(uint32_t address) {
    return Record({0x05, 0x03, 0x01, 0x00, 0x01, 0x00, 0x02, 0x00, uint8_t(address),
                   uint8_t(address >> 8), uint8_t(address >> 16), uint8_t(address >> 24)});
}
inline Bytes64 ChecksumCommand(uint32_t address) {
    return Record({0x05, 0x04, 0x01, 0x00, 0x01, 0x00, 0x02, 0x00, uint8_t(address),
                   uint8_t(address >> 8), uint8_t(address >> 16), uint8_t(address >> 24)});
}
inline Bytes64 QueryBootCommand() { return Record({0x05, 0x05, 0, 0, 0, 0, 0x01, 0x00}); }
inline Bytes64 ResetCommand() { return Record({0x05, 0x01, 0x02, 0x00, 0x01, 0x00, 0, 0}); }
// Application commands with command-family byte 2.
inline Bytes64 AppCommand(uint8_t kind, uint32_t word, uint16_t length) {
    return Record({0x02, kind, uint8_t(word), uint8_t(word >> 8), uint8_t(word >> 16),
                   uint8_t(word >> 24), uint8_t(length), uint8_t(length >> 8)});
}

inline uint32_t LittleEndian32(const Bytes64& data, size_t at) {
    return uint32_t(data[at]) | uint32_t(data[at + 1]) << 8 | uint32_t(data[at + 2]) << 16 |
           uint32_t(data[at + 3]) << 24;
}

}  // namespace vantrel::sim::test
