#include "cli/FileIo.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>

#include "cli/Console.h"
#include "cli/Interruption.h"
#include "common/FileRead.h"
#include "common/Text.h"

namespace vantrel::cli {

namespace {

// A name for the temporary file: in the folder of `path`, short, and not one that
// another run or thread of this machine picks at the same time.
std::wstring TemporaryBeside(const std::wstring& path) {
    static std::atomic<unsigned> counter{0};
#ifdef _WIN32
    const size_t slash = path.find_last_of(L"/\\");
    const unsigned long process = ::GetCurrentProcessId();
#else
    const size_t slash = path.find_last_of(L'/');
    const unsigned long process = static_cast<unsigned long>(::getpid());
#endif
    const std::wstring folder = slash == std::wstring::npos ? L"" : path.substr(0, slash + 1);
    return folder + L".vantrel-" + std::to_wstring(process) + L"-" + std::to_wstring(counter++) +
           L".tmp";
}

#ifdef _WIN32

bool WriteNew(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    // Shared for deletion: an interruption removes the file while it is open.
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    for (size_t at = 0; ok && at < bytes.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - at, 1 << 20));
        DWORD written = 0;
        ok = ::WriteFile(file, bytes.data() + at, chunk, &written, nullptr) && written == chunk;
        at += written;
    }
    ok = ::FlushFileBuffers(file) && ok;
    ok = ::CloseHandle(file) && ok;
    return ok;
}

bool Replace(const std::wstring& from, const std::wstring& to) {
    return ::MoveFileExW(from.c_str(), to.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void Remove(const std::wstring& path) { ::DeleteFileW(path.c_str()); }

// A folder or a device (NUL, COM1) at the output name is never replaced.
bool Replaceable(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
    HANDLE file =
        ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return true;
    const bool disk = ::GetFileType(file) == FILE_TYPE_DISK;
    ::CloseHandle(file);
    return disk;
}

bool Identity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
    HANDLE file =
        ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool ok = ::GetFileInformationByHandle(file, &info) != 0;
    ::CloseHandle(file);
    return ok;
}

#else

bool WriteNew(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    const int fd =
        ::open(ToNativeBytes(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = true;
    for (size_t at = 0; ok && at < bytes.size();) {
        const ssize_t written = ::write(fd, bytes.data() + at, bytes.size() - at);
        if (written < 0 && errno == EINTR) continue;
        ok = written > 0;
        if (ok) at += static_cast<size_t>(written);
    }
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    return ok;
}

bool Replace(const std::wstring& from, const std::wstring& to) {
    return ::rename(ToNativeBytes(from).c_str(), ToNativeBytes(to).c_str()) == 0;
}

void Remove(const std::wstring& path) { ::unlink(ToNativeBytes(path).c_str()); }

// Only a regular file or a link at the output name is replaced: renaming over a
// device node, a FIFO or a socket (pack -o /dev/null as root) would remove it.
bool Replaceable(const std::wstring& path) {
    struct stat info = {};
    if (::lstat(ToNativeBytes(path).c_str(), &info) != 0) return true;  // the write will say why
    return S_ISREG(info.st_mode) || S_ISLNK(info.st_mode);
}

#endif

unsigned long LastSystemError() {
#ifdef _WIN32
    return ::GetLastError();
#else
    return static_cast<unsigned long>(errno);
#endif
}

}  // namespace

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
            problem = error != 0 ? SystemErrorText(error) : FromUtf8(FileReadProblem(result));
            break;
    }
    return false;
}

bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes,
                    std::wstring* problem) {
    if (!Replaceable(path)) {
        if (problem != nullptr) *problem = L"not a regular file";
        return false;
    }
    const std::wstring temporary = TemporaryBeside(path);
    NoteUnfinishedFile(temporary);
    if (WriteNew(temporary, bytes) && Replace(temporary, path)) {
        ForgetUnfinishedFile();
        return true;
    }
    const unsigned long error = LastSystemError();
    Remove(temporary);
    ForgetUnfinishedFile();
    if (problem != nullptr) *problem = error != 0 ? SystemErrorText(error) : L"write error";
    return false;
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
#ifdef _WIN32
    BY_HANDLE_FILE_INFORMATION first = {}, second = {};
    if (!Identity(a, first) || !Identity(b, second)) return false;
    return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
#else
    struct stat first = {}, second = {};
    if (::stat(ToNativeBytes(a).c_str(), &first) != 0 ||
        ::stat(ToNativeBytes(b).c_str(), &second) != 0)
        return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
#endif
}

}  // namespace vantrel::cli
