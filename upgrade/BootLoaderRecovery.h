#pragma once
// The boot loader's side of bringing back a writer left mid-transfer: a program
// command waits for its 8 data reports. The question is QueryBootLoader; a filler is
// 64 bytes of 0xFF: every boot-loader command begins with 05, so the idle boot loader
// takes no filler for a command, and as page data 0xFF programs no bit.

#include "link/TransferRecovery.h"

namespace vantrel {

PendingTransferProbe BootLoaderProbe();

}  // namespace vantrel
