#include "sim/SimOptionReader.h"

#include <vector>

#include "common/FileRead.h"
#include "common/ShownText.h"
#include "common/Text.h"

namespace vantrel::sim {

SimOptionResult ApplySimOption(const std::wstring& name, const std::wstring& value,
                               SimOptions& writer, std::wstring& error) {
    if (name == L"--sim-boot") {
        writer.startInBootLoader = true;
    } else if (name == L"--sim-level") {
        if (!ParseUint32(value, writer.writerLevel)) {
            error = L"--sim-level takes a 32-bit number (decimal or 0x...), not '" + value + L"'";
            return SimOptionResult::Refused;
        }
    } else if (name == L"--sim-fault") {
        Fault fault;
        std::string faultError;
        if (!ParseFault(ToUtf8(value), fault, faultError)) {
            error = FromUtf8(faultError);
            return SimOptionResult::Refused;
        }
        writer.faults.push_back(fault);
    } else if (name == L"--sim-aprom-in") {
        std::vector<uint8_t> aprom;
        std::wstring problem;
        // A longer file is refused without being read to its end.
        if (!ReadInputFile(value, aprom, problem, kApromSize)) {
            error = L"cannot read '" + ShownPath(value) + L"': " + problem;
            return SimOptionResult::Refused;
        }
        if (aprom.size() != kApromSize) {
            error = L"'" + ShownPath(value) + L"' holds " + std::to_wstring(aprom.size()) +
                    L" bytes; an APROM image holds " + std::to_wstring(kApromSize);
            return SimOptionResult::Refused;
        }
        writer.aprom = std::move(aprom);
    } else {
        return SimOptionResult::NotASimOption;
    }
    return SimOptionResult::Applied;
}

}  // namespace vantrel::sim
