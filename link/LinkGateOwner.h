#pragma once
// Which link gate the calling thread holds through a LinkTransaction. Presence
// tracking asks before it try-locks the gate: a notification that reaches the
// thread of a running transaction (a message box's nested message loop) only
// waits for that transaction's end, and no thread locks the gate twice.

class CVantrelCore;

namespace vantrel {

// true while the calling thread is inside a LinkTransaction on `core`.
bool ThisThreadHoldsLinkGate(const CVantrelCore& core);

}  // namespace vantrel
