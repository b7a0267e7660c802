#include "tests/support/TestData.h"

#include "common/Text.h"
#include "tests/support/TempDir.h"

namespace vantrel::test {

std::wstring TestDataPath(const std::string& name) {
    std::string path = std::string(VANTREL_TEST_DATA) + "/" + name;
#ifdef _WIN32
    // A Linux absolute path: Wine maps the Linux root to drive Z:.
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
#endif
    return FromUtf8(path);
}

std::string ReadTestData(const std::string& name) {
    const std::vector<uint8_t> bytes = ReadWholeFile(TestDataPath(name));
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace vantrel::test
