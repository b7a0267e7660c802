#include "cli/FileIo.h"

#include "cli/Console.h"
#include "cli/Interruption.h"
#include "cli/ShownText.h"
#include "common/FileRead.h"
#include "common/OutputFile.h"
#include "common/Text.h"

namespace vantrel::cli {

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
                    std::wstring* problem, const std::vector<std::wstring>& inputs) {
    UnfinishedFileHooks hooks;
    hooks.note = &NoteUnfinishedFile;
    hooks.forget = &ForgetUnfinishedFile;
    std::wstring reason;
    const bool written = WriteOutputFile(path, bytes, inputs, reason, hooks);
    if (problem != nullptr) *problem = reason;
    return written;
}

std::wstring OutputRefusal(const std::wstring& path, const std::vector<std::wstring>& inputs,
                           bool lineByLine) {
    const std::wstring problem = OutputProblem(path, inputs, lineByLine);
    if (problem.empty()) return problem;
    return L"cannot write '" + ShownPath(path) + L"': " + problem;
}

}  // namespace vantrel::cli
