#pragma once
// The core's request that makes the writer restart into its boot loader, and the
// boot-loader protocol that the upgrade's commands speak.

#include <cstdint>

#include "protocol/ApplicationProtocol.h"
#include "protocol/BootLoaderProtocol.h"
#include "protocol/WriterIdentity.h"

class CVantrelCore;

namespace vantrel {

// Pause between a program command and its data reports, which gives the boot
// loader time to get ready for the page.
constexpr uint32_t kProgramPauseMs = 10;

// How a request to restart into the boot loader ended. The upgrade job words the
// two failures differently, so it needs to know which one happened.
enum class LdromRequest {
    Sent,        // the command was written; the link is left open
    NotOpened,   // the application could not be opened; no message was shown
    NotWritten,  // the write failed; its message box has been shown, link closed
};

// EnterLdrom with the reason of a failure.
LdromRequest RequestLdrom(CVantrelCore& core);

}  // namespace vantrel
