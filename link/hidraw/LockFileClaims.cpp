// The system's writer claims on Linux: one lock file per claim key in a runtime
// folder that every user of the machine can write to (/run/lock, else /tmp), locked
// with an open-file-description lock, so the kernel lets go when the holding process
// ends, however it ends, and a look at a claim (list, status) can test the lock
// without taking it and so never makes a job that starts at that moment fail.
// The file holds one line, who holds the claim; a holder that lets go empties it, so
// a line found by the next holder was left by one that vanished. A claim on an
// interface path (a writer whose USB location is unknown) also flocks the hidraw
// node itself.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "common/Text.h"
#include "link/WriterClaims.h"

namespace vantrel {

namespace {

std::string DefaultLockFolder() {
    for (const char* folder : {"/run/lock", "/tmp"}) {
        struct stat status;
        if (::stat(folder, &status) == 0 && S_ISDIR(status.st_mode) &&
            ::access(folder, W_OK | X_OK) == 0) {
            return folder;
        }
    }
    return "/tmp";
}

// The key as a file name: letters, digits, '-' and '.' stay, every other byte of its
// UTF-8 form becomes %XX, so two keys never share a file.
std::string FileNameOf(const std::wstring& key) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string name = "vantrel-writer-";
    for (unsigned char c : ToUtf8(key)) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '.';
        if (plain) {
            name += static_cast<char>(c);
        } else {
            name += '%';
            name += kHex[c >> 4];
            name += kHex[c & 15];
        }
    }
    return name + ".lock";
}

// The hidraw node named at the end of a claim key on an interface path.
std::string NodeOfKey(const std::wstring& key) {
    if (key.rfind(L"path ", 0) != 0) return std::string();
    const size_t hash = key.rfind(L'#');
    if (hash == std::wstring::npos) return std::string();
    const std::string node = ToUtf8(key.substr(hash + 1));
    return node.rfind("/dev/hidraw", 0) == 0 ? node : std::string();
}

// Opens the lock file, creating it readable and writable by every user. An existing
// file is opened without O_CREAT: in a sticky world-writable folder the kernel may
// refuse O_CREAT on another user's file.
int OpenLockFile(const std::string& path) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0 || errno != ENOENT) return fd;
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::fchmod(fd, 0666);
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    return -1;
}

std::string ReadRecord(int fd) {
    char buffer[512];
    const ssize_t length = ::pread(fd, buffer, sizeof buffer, 0);
    if (length <= 0) return std::string();
    std::string record(buffer, static_cast<size_t>(length));
    const size_t end = record.find('\n');
    return end == std::string::npos ? record : record.substr(0, end);
}

class LockFileToken : public IClaimToken {
public:
    LockFileToken(int fd, int nodeFd) : m_fd(fd), m_nodeFd(nodeFd) {}
    ~LockFileToken() override {
        if (::ftruncate(m_fd, 0) != 0) {
            // The claim is let go all the same; the next holder only probes the writer.
        }
        ::close(m_fd);  // lets go of the lock
        if (m_nodeFd >= 0) ::close(m_nodeFd);
    }

private:
    int m_fd;
    int m_nodeFd;
};

class LockFileClaimBackend : public IClaimBackend {
public:
    explicit LockFileClaimBackend(std::string folder)
        : m_folder(folder.empty() ? DefaultLockFolder() : std::move(folder)) {}

    ClaimAttempt TryTake(const std::wstring& key, const std::string* holder) override {
        ClaimAttempt attempt;
        const int fd = OpenLockFile(m_folder + "/" + FileNameOf(key));
        if (fd < 0) {
            attempt.heldBy = "the lock file in " + m_folder + " cannot be opened (" +
                             std::string(std::strerror(errno)) + ")";
            return attempt;
        }
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        if (holder == nullptr) {
            // Only a look: the lock is tested, not taken.
            const bool busy = ::fcntl(fd, F_OFD_GETLK, &lock) != 0 || lock.l_type != F_UNLCK;
            if (busy) attempt.heldBy = ReadRecord(fd);
            if (busy && attempt.heldBy.empty()) attempt.heldBy = "another program";
            attempt.holderVanished = !busy && !ReadRecord(fd).empty();
            ::close(fd);
            if (!busy) attempt.token = std::make_unique<IClaimToken>();
            return attempt;
        }
        if (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
            attempt.heldBy = ReadRecord(fd);
            if (attempt.heldBy.empty()) attempt.heldBy = "another program";
            ::close(fd);
            return attempt;
        }
        int nodeFd = -1;
        const std::string node = NodeOfKey(key);
        if (!node.empty()) {
            nodeFd = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            if (nodeFd >= 0 && ::flock(nodeFd, LOCK_EX | LOCK_NB) != 0) {
                attempt.heldBy = "another program has locked " + node;
                ::close(nodeFd);
                ::close(fd);
                return attempt;
            }
        }
        attempt.holderVanished = !ReadRecord(fd).empty();
        const std::string line = *holder + "\n";
        if (::ftruncate(fd, 0) != 0 ||
            ::pwrite(fd, line.data(), line.size(), 0) != static_cast<ssize_t>(line.size())) {
            // Others then read an empty record ("another program"); the claim holds.
        }
        attempt.token = std::make_unique<LockFileToken>(fd, nodeFd);
        return attempt;
    }

private:
    std::string m_folder;
};

}  // namespace

std::unique_ptr<IClaimBackend> MakeSystemClaimBackend(const std::string& lockFolder) {
    return std::make_unique<LockFileClaimBackend>(lockFolder);
}

}  // namespace vantrel
