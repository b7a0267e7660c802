#include "sim/ApromImageFile.h"

#include "common/FileRead.h"
#include "common/OutputFile.h"
#include "common/Text.h"
#include "sim/SimOptions.h"

namespace vantrel::sim {

std::string ReadApromImageFile(const std::wstring& path, std::vector<uint8_t>& aprom) {
    unsigned long error = 0;
    // A longer file is refused without being read to its end.
    const FileReadResult read = ReadRegularFile(path, kApromSize, aprom, &error);
    if (read == FileReadResult::Ok && aprom.size() == kApromSize) return "";
    std::string problem;
    if (read == FileReadResult::Ok || read == FileReadResult::TooLarge) {
        problem = (read == FileReadResult::Ok ? "holds " + std::to_string(aprom.size())
                                              : "holds more than " + std::to_string(kApromSize)) +
                  " bytes; an APROM image holds " + std::to_string(kApromSize);
    } else {
        problem = FileReadProblem(read);
        if (error != 0) problem += ": " + ToUtf8(SystemReason(error));
    }
    aprom.clear();
    return problem;
}

}  // namespace vantrel::sim
