#pragma once
// The options of a whole simulated bus as a front end is given them: how many
// writers, and per writer ("sim-2:...") or for every writer its faults, APROM
// image, late arrival and APROM output. One reader, so that the CLI and any later
// front end give the same words to the same mistakes.

#include <cstdint>
#include <string>
#include <vector>

#include "sim/SimOptions.h"

namespace vantrel::sim {

struct SimBusArguments {
    uint32_t writers = 1;
    bool startInBootLoader = false;
    uint32_t writerLevel = 0x03000000;
    std::vector<std::wstring> faults;       // --sim-fault, as given
    std::vector<std::wstring> apromIn;      // --sim-aprom-in [sim-K:]FILE
    std::vector<std::wstring> arriveAfter;  // --sim-arrive-after [sim-K:]MILLISECONDS
    std::vector<std::wstring> apromOut;     // --sim-aprom-out [sim-K:]FILE (only checked here)
};

// "sim-K:REST" names writer K (1 .. count) of the bus; anything else names none
// (`index` 0) and is REST as a whole. False, with `error`, for a K outside the bus.
bool SplitWriterPrefix(const std::wstring& text, uint32_t count, int& index, std::wstring& rest,
                       std::wstring& error);

// The file of a [sim-K:]FILE argument.
std::wstring FileOfWriterArgument(const std::wstring& text, uint32_t count);

// The options of each writer of the bus. False, with `error` for the first argument
// that cannot be used.
bool ReadSimBusOptions(const SimBusArguments& arguments, std::vector<SimOptions>& writers,
                       std::wstring& error);

}  // namespace vantrel::sim
