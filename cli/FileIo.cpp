#include "cli/FileIo.h"

#include <cstdio>

#include "common/Files.h"

namespace vantrel::cli {

bool IsReadable(const std::wstring& path) {
    FILE* file = OpenFile(path, "rb");
    if (file == nullptr) return false;
    // A directory opens on some systems but cannot be read.
    std::fgetc(file);
    const bool readable = std::ferror(file) == 0;
    std::fclose(file);
    return readable;
}

bool ReadWholeFile(const std::wstring& path, std::vector<uint8_t>& bytes) {
    FILE* file = OpenFile(path, "rb");
    if (file == nullptr) return false;
    bytes.clear();
    uint8_t buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    FILE* file = OpenFile(path, "wb");
    if (file == nullptr) return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = (std::fclose(file) == 0) && ok;
    return ok;
}

}  // namespace vantrel::cli
