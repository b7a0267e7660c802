#pragma once
// The writers attached to this machine, each with its mode and location, as the
// CLI lists them and waits for them.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "link/HidPlatform.h"

namespace vantrel {

enum class WriterMode { Application, BootLoader, Unanswered, Busy };

struct AttachedWriter {
    WriterMode mode = WriterMode::Application;
    std::wstring path;
    std::wstring location;  // empty when the backend cannot tell
    std::string heldBy;     // Busy: who holds the writer's claim
};

// Whether another process holds the claim of interface `path` (and who).
using BusyCheck = std::function<bool(const std::wstring& path, std::string& heldBy)>;

// The writer's interfaces present (IsWriter, protocol/WriterIdentity.h), in
// enumeration order. With `confirmBootLoaders`, each boot loader
// is asked with its query, as presence tracking asks it; one that does not
// answer is Unanswered. A writer that `busy` finds claimed by another process is
// Busy and is not asked.
std::vector<AttachedWriter> ListWriters(IHidPlatform& platform, IClock& clock,
                                        bool confirmBootLoaders, const BusyCheck& busy = nullptr);

// "application", "boot-loader", "no-answer" or "busy".
const wchar_t* WriterModeName(WriterMode mode);

// Waits until a writer's interface is present through `platform`, looking every
// 100 ms on `clock`, at most `timeoutMs`. false on time-out.
bool AwaitWriter(IHidPlatform& platform, IClock& clock, uint32_t timeoutMs);

// How many writers `writers` are: one per location, or per path where the backend
// tells no location.
size_t DistinctWriters(const std::vector<AttachedWriter>& writers);

// Where the writer is, as texts name it: its location ("1-1"), or its interface path
// where the backend tells no location.
std::wstring WriterPlace(const AttachedWriter& writer);

}  // namespace vantrel
