#pragma once
// Options of the simulated writer and the grammar of its injected faults:
//   refuse:NAME[#K]   the K-th command NAME (default the first) is refused
//   silent:NAME[#K]   the K-th command NAME is never answered
//   badsum:PAGE       ReadApromChecksum of page index PAGE (0-135) returns a wrong sum
//   noboot            the boot loader never answers QueryBootLoader

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::sim {

// The boot loader's APROM: 136 pages of 512 bytes.
constexpr uint32_t kApromSize = 69632;
constexpr uint32_t kPageSize = 512;
constexpr uint32_t kPageCount = kApromSize / kPageSize;

struct Fault {
    enum Kind { Refuse, Silent, BadSum, NoBoot } kind = Refuse;
    // The command the fault applies to: a configuration step name, QueryWriterLevel,
    // EnterLdrom or a boot-loader command. BadSum carries "ReadApromChecksum" and
    // NoBoot "QueryBootLoader".
    std::string name;
    // Which occurrence of the command (1 = the first); Refuse and Silent only.
    int occurrence = 1;
    // Page index 0-135; BadSum only.
    int page = -1;
};

struct SimOptions {
    bool startInBootLoader = false;
    // No writer attached at start (PlugIn attaches one).
    bool absent = false;
    // With `absent`: the writer is plugged in this long after the start, on the
    // writer's clock (0: only PlugIn attaches it).
    uint32_t arriveAfterMs = 0;
    // Its place on the simulated bus, 1 .. N: location "sim-<index>", and interface
    // paths of its own (index 1 has the paths of a writer that is alone).
    int index = 1;
    // What QueryWriterLevel answers.
    uint32_t writerLevel = 0x03000000;
    std::vector<Fault> faults;
    // Time between leaving the bus (EnterLdrom, SystemReset) and arriving in the
    // other mode, on the writer's clock.
    uint32_t reenumerateDelayMs = 100;
    // The APROM at start; empty means all 0xFF. Other sizes are padded with 0xFF
    // or cut to kApromSize.
    std::vector<uint8_t> aprom;
};

// Parses one fault of the grammar above. On failure returns false and sets `error`
// to a sentence that names the problem.
bool ParseFault(const std::string& text, Fault& fault, std::string& error);

// The command names that faults may name, in protocol order.
const std::vector<std::string>& FaultCommandNames();

}  // namespace vantrel::sim
