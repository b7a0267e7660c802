#pragma once
// The boot-loader command protocol: identity of the writer's boot loader, the
// command family and command words of its commands, and the one application-mode
// command that makes the writer restart into it.

#include <cstdint>

#include "protocol/WriterIdentity.h"

class CVantrelCore;

namespace vantrel {

// Byte 0 of every command sent to the boot loader.
constexpr uint8_t kBootLoaderFamily = 0x05;

// Request kinds (byte 1) and command words (bytes 2-5, little-endian).
constexpr uint8_t kEraseRequest = 1;
constexpr uint8_t kProgramRequest = 3;
constexpr uint8_t kChecksumRequest = 4;
constexpr uint8_t kResetRequest = 1;
constexpr uint8_t kEnterLdromRequest = 1;
constexpr uint32_t kPageCommandWord = 0x00010001;
constexpr uint32_t kResetCommandWord = 0x00010002;
constexpr uint32_t kEnterLdromCommandWord = 0x0007000B;

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
