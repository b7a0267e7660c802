// The JSON reader and the description reader of `pack` on arbitrary input. A
// document that parses must come back the same from its own text; a description
// that reads must build a control file of the full length whose IC name decodes
// (as every reader of control files decodes it) to the name's first 16 bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/Json.h"
#include "common/Text.h"
#include "configure/AnsiText.h"
#include "configure/ControlFile.h"
#include "configure/ControlFileWriter.h"
#include "configure/PackDescription.h"

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Json document;
    std::string error;
    if (!ParseJson(text, document, error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    Json again;
    if (!ParseJson(document.dump(), again, error) || again != document) std::abort();

    ControlFileContents contents;
    if (!ReadPackDescription(document, contents, error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    const std::vector<uint8_t> file = BuildControlFile(contents);
    if (file.size() != kControlFileLength) std::abort();

    // The name's first 16 bytes in GBK, decoded as a reader decodes them.
    const std::wstring name = FromUtf8(document["name"].get<std::string>());
    std::string gbk;
    if (!WideToGbk(name, gbk) || gbk.size() > 24) std::abort();
    const std::wstring icName = AnsiToWide(contents.name, 16);
    std::string icBytes;
    if (!WideToGbk(icName, icBytes) || icBytes != gbk.substr(0, 16).c_str()) std::abort();
    return 0;
}
