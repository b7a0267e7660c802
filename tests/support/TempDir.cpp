#include "tests/support/TempDir.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>

#include "common/Files.h"
#include "common/Text.h"

namespace vantrel::test {

namespace {

namespace fs = std::filesystem;

// Wide path to a filesystem path without the locale's help: UTF-16 on Windows,
// the name's own bytes elsewhere (FromNativeBytes).
fs::path ToFsPath(const std::wstring& path) {
#ifdef _WIN32
    return fs::path(path);
#else
    return fs::path(ToNativeBytes(path));
#endif
}

std::wstring FromFsPath(const fs::path& path) {
#ifdef _WIN32
    return path.wstring();
#else
    return FromNativeBytes(path.string());
#endif
}

#ifdef _WIN32
constexpr wchar_t kSeparator = L'\\';
#else
constexpr wchar_t kSeparator = L'/';
#endif

}  // namespace

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate =
            base / ("vantrel-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        std::error_code error;
        if (fs::create_directory(candidate, error)) {
            m_path = FromFsPath(candidate);
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}

TempDir::~TempDir() {
    std::error_code error;
    fs::remove_all(ToFsPath(m_path), error);
}

std::wstring TempDir::File(const std::wstring& name) const { return m_path + kSeparator + name; }

std::wstring TempDir::MakeDir(const std::wstring& name) const {
    std::error_code error;
    fs::create_directories(ToFsPath(File(name)), error);
    return File(name);
}

std::wstring TempDir::Write(const std::wstring& name, const std::vector<uint8_t>& bytes) const {
    const std::wstring path = File(name);
    FILE* file = OpenFile(path, "wb");
    if (file == nullptr) throw std::runtime_error("cannot create a test file");
    const size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    if (written != bytes.size()) throw std::runtime_error("cannot write a test file");
    return path;
}

std::wstring TempDir::Write(const std::wstring& name, const std::string& bytes) const {
    return Write(name, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

std::vector<std::wstring> TempDir::Entries() const {
    std::vector<std::wstring> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(ToFsPath(m_path), error))
        names.push_back(FromFsPath(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

bool FileExists(const std::wstring& path) {
    std::error_code error;
    return fs::exists(ToFsPath(path), error);
}

std::vector<uint8_t> ReadWholeFile(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    FILE* file = OpenFile(path, "rb");
    if (file == nullptr) return bytes;
    uint8_t chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) != 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);
    return bytes;
}

}  // namespace vantrel::test
