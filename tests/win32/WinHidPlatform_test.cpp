// The Windows HID platform's overlapped transfers, on named pipes opened through
// it like an interface path (no HID device is needed), and its enumeration.

#include "link/win32/WinHidPlatform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vantrel;
using vantrel::win32::WinHidPlatform;

namespace {

// A message pipe whose server end the test holds.
class Pipe {
public:
    explicit Pipe(const wchar_t* tag) {
        name = L"\\\\.\\pipe\\vantrel-link-" + std::wstring(tag) + L"-" +
               std::to_wstring(::GetCurrentProcessId());
        server = ::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX,
                                    PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 4096,
                                    4096, 0, nullptr);
    }
    ~Pipe() { Disconnect(); }
    void Disconnect() {
        if (server != INVALID_HANDLE_VALUE) ::CloseHandle(server);
        server = INVALID_HANDLE_VALUE;
    }
    bool Send(const std::vector<uint8_t>& bytes) {
        DWORD written = 0;
        return ::WriteFile(server, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                           nullptr) &&
               written == bytes.size();
    }
    std::vector<uint8_t> Receive() {
        std::vector<uint8_t> bytes(4096);
        DWORD got = 0;
        if (!::ReadFile(server, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))
            got = 0;
        bytes.resize(got);
        return bytes;
    }

    std::wstring name;
    HANDLE server = INVALID_HANDLE_VALUE;
};

std::vector<uint8_t> Report(uint8_t first) {
    std::vector<uint8_t> report(65);
    for (size_t i = 0; i < report.size(); ++i) report[i] = static_cast<uint8_t>(first + i);
    return report;
}

TEST(WinHidPlatform, ReadThatTimedOutIsWithdrawnAndLeavesItsBufferAlone) {
    Pipe pipe(L"read");
    ASSERT_NE(pipe.server, INVALID_HANDLE_VALUE);
    WinHidPlatform platform;
    const HidHandle handle = platform.OpenForRead(pipe.name);
    ASSERT_NE(handle, kInvalidHidHandle);

    std::vector<uint8_t> first(65, 0xEE);
    uint32_t transferred = 9;
    EXPECT_EQ(platform.Read(handle, first.data(), 65, 30, transferred), HidIo::TimedOut);
    EXPECT_EQ(transferred, 0u);

    // A report sent after the time-out goes to the next read, never into the
    // buffer of the withdrawn one.
    ASSERT_TRUE(pipe.Send(Report(0x10)));
    std::vector<uint8_t> second(65, 0);
    EXPECT_EQ(platform.Read(handle, second.data(), 65, 4000, transferred), HidIo::Completed);
    EXPECT_EQ(transferred, 65u);
    EXPECT_EQ(second, Report(0x10));
    EXPECT_EQ(first, std::vector<uint8_t>(65, 0xEE));
    platform.Close(handle);
}

TEST(WinHidPlatform, WriteCompletesWithTheWholeReport) {
    Pipe pipe(L"write");
    WinHidPlatform platform;
    const HidHandle handle = platform.OpenForWrite(pipe.name);
    ASSERT_NE(handle, kInvalidHidHandle);
    const std::vector<uint8_t> report = Report(0x40);
    uint32_t transferred = 0;
    EXPECT_EQ(platform.Write(handle, report.data(), 65, 4000, transferred), HidIo::Completed);
    EXPECT_EQ(transferred, 65u);
    EXPECT_EQ(pipe.Receive(), report);

    pipe.Disconnect();  // the device has gone
    EXPECT_NE(platform.Write(handle, report.data(), 65, 4000, transferred), HidIo::Completed);
    platform.Close(handle);
}

TEST(WinHidPlatform, InvalidHandlesAndPathsAreRefused) {
    WinHidPlatform platform;
    uint8_t report[65] = {};
    uint32_t transferred = 0;
    EXPECT_EQ(platform.Read(kInvalidHidHandle, report, 65, 4000, transferred), HidIo::Refused);
    EXPECT_EQ(platform.Write(kInvalidHidHandle, report, 65, 4000, transferred), HidIo::Refused);
    EXPECT_EQ(platform.OpenForRead(L"\\\\?\\hid#vid_0416&pid_5020#none"), kInvalidHidHandle);
    HidAttributes attributes;
    EXPECT_FALSE(platform.QueryAttributes(L"\\\\?\\hid#vid_0416&pid_5020#none", attributes));
    std::wstring location = L"stale";
    EXPECT_FALSE(platform.InterfaceLocation(L"\\\\?\\hid#vid_0416&pid_5020#none", location));
    EXPECT_TRUE(location.empty());
}

TEST(WinHidPlatform, EnumeratesTheHidInterfaceClass) {
    const GUID hid = WinHidPlatform::HidInterfaceClass();
    EXPECT_EQ(hid.Data1, 0x4D1E55B2u);
    EXPECT_EQ(hid.Data2, 0xF16F);
    EXPECT_EQ(hid.Data3, 0x11CF);
    WinHidPlatform platform;
    std::vector<std::wstring> paths{L"stale"};
    EXPECT_TRUE(platform.EnumerateInterfaces(paths));
    for (const std::wstring& path : paths) EXPECT_FALSE(path.empty());
}

}  // namespace
