#include "common/Files.h"

#include "common/Text.h"

#ifdef _WIN32
#include <io.h>
#include <wchar.h>
#endif

namespace vantrel {

FILE* OpenFile(const std::wstring& path, const char* mode) {
#ifdef _WIN32
    std::wstring wideMode;
    for (const char* p = mode; *p; ++p) wideMode += static_cast<wchar_t>(*p);
    return _wfopen(path.c_str(), wideMode.c_str());
#else
    return std::fopen(ToNativeBytes(path).c_str(), mode);
#endif
}

bool RemoveFile(const std::wstring& path) {
#ifdef _WIN32
    return _wremove(path.c_str()) == 0;
#else
    return std::remove(ToNativeBytes(path).c_str()) == 0;
#endif
}

int64_t FileLength(FILE* file) {
#ifdef _WIN32
    if (_fseeki64(file, 0, SEEK_END) != 0) return -1;
    int64_t length = _ftelli64(file);
    _fseeki64(file, 0, SEEK_SET);
#else
    if (fseeko(file, 0, SEEK_END) != 0) return -1;
    int64_t length = ftello(file);
    fseeko(file, 0, SEEK_SET);
#endif
    return length;
}

}  // namespace vantrel
