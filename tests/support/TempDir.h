#pragma once
// A fresh directory under the system's temporary folder, removed with everything
// in it when the object goes. Paths are the core's wide paths.

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::wstring& Path() const { return m_path; }
    // The path of an entry of the directory (`name` may hold sub-folders).
    std::wstring File(const std::wstring& name) const;
    // Creates a sub-folder and returns its path.
    std::wstring MakeDir(const std::wstring& name) const;
    // Writes a file and returns its path.
    std::wstring Write(const std::wstring& name, const std::vector<uint8_t>& bytes) const;
    std::wstring Write(const std::wstring& name, const std::string& bytes) const;
    // The names of the entries of the directory (not recursive), sorted.
    std::vector<std::wstring> Entries() const;

private:
    std::wstring m_path;
};

bool FileExists(const std::wstring& path);
// The whole contents of a file; empty when it cannot be read.
std::vector<uint8_t> ReadWholeFile(const std::wstring& path);

}  // namespace vantrel::test
