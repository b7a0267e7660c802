#include "upgrade/FirmwareCheck.h"

#include "upgrade/FirmwareImage.h"
#include "upgrade/IntelHexParser.h"

namespace vantrel {

FirmwareCheck CheckFirmwareText(std::string_view text) {
    std::vector<uint8_t> scratch(kFirmwareImageSize, 0);
    IntelHexParser parser(scratch.data());
    parser.ParseText(text);
    parser.Finish();
    return parser.Check();
}

std::wstring FirmwareProblemText(const FirmwareProblem& problem) {
    const std::wstring line = L"第" + std::to_wstring(problem.line) + L"行";
    switch (problem.kind) {
        case FirmwareProblemKind::NotARecord:
            return line + L"不是Intel HEX记录";
        case FirmwareProblemKind::BadCharacter:
            return line + L"含有非大写十六进制字符";
        case FirmwareProblemKind::WrongLength:
            return line + L"记录长度与字节数不符";
        case FirmwareProblemKind::WrongChecksum:
            return line + L"记录校验和错误";
        case FirmwareProblemKind::NoEndRecord:
            return L"没有文件结束记录";
        case FirmwareProblemKind::NoDataInImage:
            return L"APROM范围内没有数据";
    }
    return line;
}

std::wstring FirmwareRefusalText(const FirmwareProblem& problem) {
    return L"固件文件无效：" + FirmwareProblemText(problem) + L"！";
}

}  // namespace vantrel
