#pragma once
// Which process the exit may terminate. The tool looks itself up by its executable
// name in a snapshot of the running processes; with several instances running, the
// first entry of that name can be another instance. Only the entry that is the
// calling process itself is ever accepted, so the exit never ends another program.

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

struct ProcessEntry {
    uint32_t id = 0;
    std::wstring exeFile;  // executable file name, without directory
};

// The id of the entry whose executable name equals `exeName` exactly
// (case-sensitive) and whose id is `ownId`; 0 when no entry is both.
uint32_t FindOwnProcessId(const std::vector<ProcessEntry>& snapshot, const std::wstring& exeName,
                          uint32_t ownId);

// Whether the exit may terminate process `processId`: only a non-zero id that is
// the calling process's own.
bool MayTerminate(uint32_t processId, uint32_t ownId);

}  // namespace vantrel
