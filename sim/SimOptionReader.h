#pragma once
// The options of a simulated writer as every front end takes them (vantrel-cli
// with --simulate, vantrel-gadget): one reader, so that a value means the same and
// is refused in the same words everywhere.

#include <cstdint>
#include <string>

#include "sim/SimOptions.h"

namespace vantrel::sim {

enum class SimOptionResult { Applied, Refused, NotASimOption };

// Applies `name` with `value` to `writer`:
//   --sim-boot          (no value) the writer starts in its boot loader
//   --sim-level N       what QueryWriterLevel answers (decimal or 0x..., 32 bits)
//   --sim-fault FAULT   one fault of the grammar of ParseFault, added
//   --sim-aprom-in F    the APROM at start: a regular file of exactly kApromSize bytes
// Refused: `error` names the problem. NotASimOption: `name` is none of these.
SimOptionResult ApplySimOption(const std::wstring& name, const std::wstring& value,
                               SimOptions& writer, std::wstring& error);

}  // namespace vantrel::sim
