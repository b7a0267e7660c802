#include "common/FileRead.h"

#include "common/OutputFile.h"
#include "common/Text.h"

#ifdef _WIN32
#include <windows.h>

#include "common/WinHandle.h"
#else
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/ScopedDescriptor.h"
#endif

#include <algorithm>

#include "common/Text.h"

namespace vantrel {

namespace {

constexpr size_t kChunk = 64 * 1024;

#ifdef _WIN32

using Handle = ScopedHandle;

FileReadResult Read(const std::wstring& path, size_t limit, std::vector<uint8_t>& bytes,
                    unsigned long& error) {
    // Without FILE_FLAG_BACKUP_SEMANTICS a folder does not open at all.
    Handle file(::CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        error = ::GetLastError();
        return FileReadResult::CannotOpen;
    }
    if (::GetFileType(file.get()) != FILE_TYPE_DISK) return FileReadResult::NotRegular;
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!::GetFileInformationByHandle(file.get(), &info)) {
        error = ::GetLastError();
        return FileReadResult::ReadError;
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return FileReadResult::NotRegular;
    const uint64_t size = static_cast<uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
    if (size > limit) return FileReadResult::TooLarge;
    bytes.reserve(static_cast<size_t>(size));
    for (;;) {
        // One byte more than the limit allows shows a file that grew past it.
        const size_t room = std::min(kChunk, limit + 1 - bytes.size());
        const size_t at = bytes.size();
        bytes.resize(at + room);
        DWORD got = 0;
        if (!::ReadFile(file.get(), bytes.data() + at, static_cast<DWORD>(room), &got, nullptr)) {
            error = ::GetLastError();
            return FileReadResult::ReadError;
        }
        bytes.resize(at + got);
        if (bytes.size() > limit) return FileReadResult::TooLarge;
        if (got == 0) return FileReadResult::Ok;
    }
}

#else

using Descriptor = ScopedDescriptor;

FileReadResult Read(const std::wstring& path, size_t limit, std::vector<uint8_t>& bytes,
                    unsigned long& error) {
    // O_NONBLOCK: opening a FIFO for reading returns at once instead of waiting for a
    // writer; the type check then refuses it. It changes nothing for a regular file.
    Descriptor file(
        ::open(ToNativeBytes(path).c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0) {
        error = static_cast<unsigned long>(errno);
        return FileReadResult::CannotOpen;
    }
    struct stat info = {};
    if (::fstat(file.get(), &info) != 0) {
        error = static_cast<unsigned long>(errno);
        return FileReadResult::ReadError;
    }
    if (!S_ISREG(info.st_mode)) return FileReadResult::NotRegular;
    if (info.st_size < 0 || static_cast<uint64_t>(info.st_size) > limit)
        return FileReadResult::TooLarge;
    bytes.reserve(static_cast<size_t>(info.st_size));
    for (;;) {
        // One byte more than the limit allows shows a file that grew past it.
        const size_t room = std::min(kChunk, limit + 1 - bytes.size());
        const size_t at = bytes.size();
        bytes.resize(at + room);
        const ssize_t got = ::read(file.get(), bytes.data() + at, room);
        if (got < 0) {
            bytes.resize(at);
            if (errno == EINTR) continue;
            error = static_cast<unsigned long>(errno);
            return FileReadResult::ReadError;
        }
        bytes.resize(at + static_cast<size_t>(got));
        if (bytes.size() > limit) return FileReadResult::TooLarge;
        if (got == 0) return FileReadResult::Ok;
    }
}

#endif

}  // namespace

FileReadResult ReadRegularFile(const std::wstring& path, size_t limit, std::vector<uint8_t>& bytes,
                               unsigned long* systemError) {
    bytes.clear();
    unsigned long error = 0;
    const FileReadResult result = Read(path, limit, bytes, error);
    if (systemError != nullptr) *systemError = error;
    if (result != FileReadResult::Ok) {
        bytes.clear();
        bytes.shrink_to_fit();
    }
    return result;
}

const char* FileReadProblem(FileReadResult result) {
    switch (result) {
        case FileReadResult::Ok:
            return "read";
        case FileReadResult::CannotOpen:
            return "cannot be opened";
        case FileReadResult::NotRegular:
            return "is not a regular file";
        case FileReadResult::TooLarge:
            return "is too large";
        case FileReadResult::ReadError:
            return "cannot be read";
    }
    return "cannot be read";
}

bool ReadInputFile(const std::wstring& path, std::vector<uint8_t>& bytes, std::wstring& problem,
                   size_t limit) {
    unsigned long error = 0;
    const FileReadResult result = ReadRegularFile(path, limit, bytes, &error);
    switch (result) {
        case FileReadResult::Ok:
            return true;
        case FileReadResult::NotRegular:
            problem = L"not a regular file";
            break;
        case FileReadResult::TooLarge:
            problem = L"larger than " + std::to_wstring(limit) + L" bytes";
            break;
        default:
            problem = error != 0 ? SystemReason(error) : FromUtf8(FileReadProblem(result));
            break;
    }
    return false;
}

}  // namespace vantrel
