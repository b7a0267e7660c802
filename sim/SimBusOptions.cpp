#include "sim/SimBusOptions.h"

#include "common/Text.h"
#include "sim/SimOptionReader.h"

namespace vantrel::sim {

bool SplitWriterPrefix(const std::wstring& text, uint32_t count, int& index, std::wstring& rest,
                       std::wstring& error) {
    index = 0;
    rest = text;
    const size_t colon = text.find(L':');
    if (text.rfind(L"sim-", 0) != 0 || colon == std::wstring::npos) return true;
    uint32_t number = 0;
    if (!ParseUint32(text.substr(4, colon - 4), number)) return true;
    if (number < 1 || number > count) {
        error = L"'" + text + L"' names writer sim-" + std::to_wstring(number) +
                L", but the simulated bus holds sim-1 .. sim-" + std::to_wstring(count);
        return false;
    }
    index = static_cast<int>(number);
    rest = text.substr(colon + 1);
    return true;
}

std::wstring FileOfWriterArgument(const std::wstring& text, uint32_t count) {
    int index = 0;
    std::wstring file;
    std::wstring error;
    SplitWriterPrefix(text, count, index, file, error);
    return file;
}

bool ReadSimBusOptions(const SimBusArguments& arguments, std::vector<SimOptions>& writers,
                       std::wstring& error) {
    writers.assign(arguments.writers, SimOptions{});
    for (SimOptions& sim : writers) {
        sim.startInBootLoader = arguments.startInBootLoader;
        sim.writerLevel = arguments.writerLevel;
    }
    int index = 0;
    std::wstring rest;
    // Applies `apply` to writer `which`, or to every writer when it is 0.
    auto each = [&](int which, auto apply) {
        for (size_t i = 0; i < writers.size(); ++i) {
            if (which == 0 || which == static_cast<int>(i) + 1) apply(writers[i]);
        }
    };
    // Faults and APROM images are read once, then given to their writers.
    auto read = [&](const wchar_t* name, const std::wstring& text, SimOptions& into) {
        if (!SplitWriterPrefix(text, arguments.writers, index, rest, error)) return false;
        return ApplySimOption(name, rest, into, error) == SimOptionResult::Applied;
    };
    for (const std::wstring& text : arguments.faults) {
        SimOptions read1;
        if (!read(L"--sim-fault", text, read1)) return false;
        each(index, [&](SimOptions& sim) { sim.faults.push_back(read1.faults.front()); });
    }
    for (const std::wstring& text : arguments.apromIn) {
        SimOptions read1;
        if (!read(L"--sim-aprom-in", text, read1)) return false;
        each(index, [&](SimOptions& sim) { sim.aprom = read1.aprom; });
    }
    for (const std::wstring& text : arguments.arriveAfter) {
        uint32_t ms = 0;
        if (!SplitWriterPrefix(text, arguments.writers, index, rest, error) ||
            !ParseUint32(rest, ms) || ms == 0) {
            if (error.empty()) {
                error =
                    L"--sim-arrive-after takes [sim-K:]MILLISECONDS (from 1), not '" + text + L"'";
            }
            return false;
        }
        each(index, [&](SimOptions& sim) {
            sim.absent = true;
            sim.arriveAfterMs = ms;
        });
    }
    for (const std::wstring& text : arguments.apromOut) {
        if (!SplitWriterPrefix(text, arguments.writers, index, rest, error)) return false;
    }
    return true;
}

}  // namespace vantrel::sim
