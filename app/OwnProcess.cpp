#include "app/OwnProcess.h"

namespace vantrel {

uint32_t FindOwnProcessId(const std::vector<ProcessEntry>& snapshot, const std::wstring& exeName,
                          uint32_t ownId) {
    if (ownId == 0) return 0;
    for (const ProcessEntry& entry : snapshot) {
        if (entry.id == ownId && entry.exeFile == exeName) return entry.id;
    }
    return 0;
}

bool MayTerminate(uint32_t processId, uint32_t ownId) {
    return processId != 0 && processId == ownId;
}

}  // namespace vantrel
