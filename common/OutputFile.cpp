#include "common/OutputFile.h"

#include "common/ShownText.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
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
#include <atomic>
#include <system_error>
#include <utility>

#include "common/Text.h"

namespace vantrel {

namespace {

const wchar_t kIsInput[] = L"it is a file this run reads";
const wchar_t kIsLink[] = L"it is a symbolic link";

// Which file a name stands for: the volume and the file's number on it.
struct Identity {
    uint64_t volume = 0;
    uint64_t index = 0;
    bool operator==(const Identity&) const = default;
};

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

std::wstring FolderOf(const std::wstring& path) {
#ifdef _WIN32
    const size_t slash = path.find_last_of(L"/\\");
#else
    const size_t slash = path.find_last_of(L'/');
#endif
    if (slash == std::wstring::npos) return L".";
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

#ifdef _WIN32

using Handle = ScopedHandle;

unsigned long LastError() { return ::GetLastError(); }

Identity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber,
            static_cast<uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow};
}

// The file a name stands for, a link followed.
bool Identify(const std::wstring& path, Identity& identity) {
    Handle file(::CreateFileW(path.c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info = {};
    if (file.get() == INVALID_HANDLE_VALUE || !::GetFileInformationByHandle(file.get(), &info))
        return false;
    identity = IdentityOf(info);
    return true;
}

// Why a new file cannot be made in the folder `path`, or empty.
std::wstring FolderProblem(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return SystemReason(::GetLastError());
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? L"" : SystemReason(ERROR_PATH_NOT_FOUND);
}

// What stands at the name, a link not followed: empty for a regular file; `link`
// tells a reparse point. `absent` for a free name.
std::wstring Kind(const std::wstring& path, bool& absent, bool& link) {
    absent = link = false;
    {
        // A device (NUL, COM1) may or may not answer the attribute query; its type
        // tells it.
        Handle file(::CreateFileW(
            path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
            OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (file.get() != INVALID_HANDLE_VALUE && ::GetFileType(file.get()) != FILE_TYPE_DISK)
            return L"not a regular file (a device)";
    }
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) return SystemReason(error);
        absent = true;
        return L"";
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        link = true;
        return L"";
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return L"not a regular file (a folder)";
    return L"";
}

bool WriteNew(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    // Shared for deletion: an interruption removes the file while it is open.
    Handle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    for (size_t at = 0; ok && at < bytes.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - at, 1 << 20));
        DWORD written = 0;
        ok = ::WriteFile(file.get(), bytes.data() + at, chunk, &written, nullptr) &&
             written == chunk;
        at += written;
    }
    ok = ::FlushFileBuffers(file.get()) && ok;
    return ::CloseHandle(file.release()) && ok;
}

bool Replace(const std::wstring& from, const std::wstring& to) {
    return ::MoveFileExW(from.c_str(), to.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void Remove(const std::wstring& path) { ::DeleteFileW(path.c_str()); }

#else

using Descriptor = ScopedDescriptor;

unsigned long LastError() { return static_cast<unsigned long>(errno); }

Identity IdentityOf(const struct stat& info) {
    return {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
}

bool Identify(const std::wstring& path, Identity& identity) {
    struct stat info = {};
    if (::stat(ToNativeBytes(path).c_str(), &info) != 0) return false;
    identity = IdentityOf(info);
    return true;
}

std::wstring FolderProblem(const std::wstring& path) {
    struct stat info = {};
    if (::stat(ToNativeBytes(path).c_str(), &info) != 0) return SystemReason(LastError());
    return S_ISDIR(info.st_mode) ? L"" : SystemReason(ENOTDIR);
}

std::wstring TypeProblem(mode_t mode) {
    if (S_ISDIR(mode)) return L"not a regular file (a folder)";
    if (S_ISFIFO(mode)) return L"not a regular file (a FIFO)";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return L"not a regular file (a device)";
    if (S_ISSOCK(mode)) return L"not a regular file (a socket)";
    return L"not a regular file";
}

std::wstring Kind(const std::wstring& path, bool& absent, bool& link) {
    absent = link = false;
    struct stat info = {};
    if (::lstat(ToNativeBytes(path).c_str(), &info) != 0) {
        if (errno != ENOENT) return SystemReason(LastError());
        absent = true;
        return L"";
    }
    if (S_ISLNK(info.st_mode)) {
        link = true;
        return L"";
    }
    return S_ISREG(info.st_mode) ? L"" : TypeProblem(info.st_mode);
}

bool WriteNew(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    Descriptor fd(
        ::open(ToNativeBytes(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.get() < 0) return false;
    bool ok = true;
    for (size_t at = 0; ok && at < bytes.size();) {
        const ssize_t written = ::write(fd.get(), bytes.data() + at, bytes.size() - at);
        if (written < 0 && errno == EINTR) continue;
        ok = written > 0;
        if (ok) at += static_cast<size_t>(written);
    }
    ok = ::fsync(fd.get()) == 0 && ok;
    return ::close(fd.release()) == 0 && ok;
}

bool Replace(const std::wstring& from, const std::wstring& to) {
    return ::rename(ToNativeBytes(from).c_str(), ToNativeBytes(to).c_str()) == 0;
}

void Remove(const std::wstring& path) { ::unlink(ToNativeBytes(path).c_str()); }

#endif

bool IsInput(const Identity& identity, const std::vector<std::wstring>& inputs) {
    return std::any_of(inputs.begin(), inputs.end(), [&](const std::wstring& input) {
        Identity other;
        return Identify(input, other) && other == identity;
    });
}

}  // namespace

std::wstring SystemReason(unsigned long code) {
#ifdef _WIN32
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result =
        length > 0 ? std::wstring(text, length) : L"error " + std::to_wstring(code);
    if (text != nullptr) ::LocalFree(text);
    while (!result.empty() && (result.back() == L'\n' || result.back() == L'\r' ||
                               result.back() == L' ' || result.back() == L'.')) {
        result.pop_back();
    }
    return result;
#else
    return FromUtf8(std::generic_category().message(static_cast<int>(code)));
#endif
}

std::wstring OutputProblem(const std::wstring& path, const std::vector<std::wstring>& inputs,
                           bool lineByLine) {
    if (path.empty()) return L"the name is empty";
    bool absent = false;
    bool link = false;
    const std::wstring kind = Kind(path, absent, link);
    if (!kind.empty()) return kind;
    if (absent) {
        // A new name: its folder has to be there, or the write at the end would fail.
        return FolderProblem(FolderOf(path));
    }
    if (link && lineByLine) return kIsLink;
    // A link is replaced, not followed, but one to an input is refused all the same:
    // whoever named it meant the file it points to.
    Identity identity;
    if (Identify(path, identity) && IsInput(identity, inputs)) return kIsInput;
    return L"";
}

bool WriteOutputFile(const std::wstring& path, const std::vector<uint8_t>& bytes,
                     const std::vector<std::wstring>& inputs, std::wstring& problem,
                     const UnfinishedFileHooks& hooks) {
    problem = OutputProblem(path, inputs);
    if (!problem.empty()) return false;
    const std::wstring temporary = TemporaryBeside(path);
    if (hooks.note != nullptr) hooks.note(temporary);
    const bool written = WriteNew(temporary, bytes) && Replace(temporary, path);
    const unsigned long error = written ? 0 : LastError();
    if (!written) Remove(temporary);
    if (hooks.forget != nullptr) hooks.forget();
    if (!written) problem = error != 0 ? SystemReason(error) : L"write error";
    return written;
}

FILE* OpenLineOutput(const std::wstring& path, const std::vector<std::wstring>& inputs,
                     std::wstring& problem, bool append) {
    problem = OutputProblem(path, inputs, true);
    if (!problem.empty()) return nullptr;
#ifdef _WIN32
    // OPEN_ALWAYS without truncating: the file opened is checked before it is
    // emptied. A reparse point is opened itself, never followed.
    // Appending: every write lands at the end, also when another process appends.
    const DWORD access = append ? FILE_APPEND_DATA | SYNCHRONIZE : GENERIC_WRITE;
    Handle file(::CreateFileW(
        path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        problem = SystemReason(LastError());
        return nullptr;
    }
    BY_HANDLE_FILE_INFORMATION info = {};
    if (::GetFileType(file.get()) != FILE_TYPE_DISK) {
        problem = L"not a regular file (a device)";
    } else if (!::GetFileInformationByHandle(file.get(), &info)) {
        problem = SystemReason(LastError());
    } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        problem = kIsLink;
    } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        problem = L"not a regular file (a folder)";
    } else if (IsInput(IdentityOf(info), inputs)) {
        problem = kIsInput;
    } else if (!append && !::SetEndOfFile(file.get())) {
        problem = SystemReason(LastError());
    }
    if (!problem.empty()) return nullptr;
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file.get()),
                                     _O_WRONLY | _O_TEXT | (append ? _O_APPEND : 0));
    if (fd < 0) {
        problem = L"cannot be opened";
        return nullptr;
    }
    file.release();
    FILE* out = ::_fdopen(fd, append ? "a" : "w");
    if (out == nullptr) ::_close(fd);
#else
    // O_NONBLOCK: a FIFO that took the name after the check does not hold the run
    // waiting for a reader. No O_TRUNC: the file opened is checked before it is
    // emptied, so an input that took the name meanwhile is left whole.
    Descriptor fd(::open(ToNativeBytes(path).c_str(),
                         O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC |
                             (append ? O_APPEND : 0),
                         0666));
    if (fd.get() < 0) {
        problem = errno == ELOOP ? std::wstring(kIsLink)
                  : errno == ENXIO ? L"not a regular file (a FIFO)"
                                   : SystemReason(LastError());
        return nullptr;
    }
    struct stat info = {};
    if (::fstat(fd.get(), &info) != 0) {
        problem = SystemReason(LastError());
    } else if (!S_ISREG(info.st_mode)) {
        problem = TypeProblem(info.st_mode);
    } else if (IsInput(IdentityOf(info), inputs)) {
        problem = kIsInput;
    } else if (!append && ::ftruncate(fd.get(), 0) != 0) {
        problem = SystemReason(LastError());
    }
    if (!problem.empty()) return nullptr;
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    FILE* out = ::fdopen(fd.get(), append ? "a" : "w");
    if (out != nullptr) fd.release();
#endif
    if (out == nullptr) problem = SystemReason(LastError());
    return out;
}

std::wstring OutputRefusal(const std::wstring& path, const std::vector<std::wstring>& inputs,
                           bool lineByLine) {
    const std::wstring problem = OutputProblem(path, inputs, lineByLine);
    if (problem.empty()) return problem;
    return L"cannot write '" + ShownPath(path) + L"': " + problem;
}

}  // namespace vantrel
