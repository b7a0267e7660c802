#pragma once
// The JobQueue: first-in-first-out commands for the worker thread.

#include <cstdint>
#include <list>

namespace vantrel {

enum JobCommand : int32_t {
    Quit = 1,
    Configure = 2,
    UpgradeFirmware = 3,
};

struct JobEntry {
    int32_t command;
    uint32_t param1;  // always 0
    uint32_t param2;  // always 0
};

using JobQueue = std::list<JobEntry>;

}  // namespace vantrel
