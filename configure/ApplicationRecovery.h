#pragma once
// The application's side of bringing back a writer left mid-transfer: a bulk-data
// command (DownData, DownEE) waits for its data reports, up to the 1024 that a 16-bit
// length can ask for, and answers once they have all come. The question is
// QueryWriterLevel; a filler is 64 zero bytes: byte 0 is no command family of either
// firmware (2 or 3 for the application, 5 for the boot loader) and byte 1 no request
// kind, so no filler reads as a command. The configuration that follows sends every
// item again, from ConnectWriter on.

#include "link/TransferRecovery.h"

namespace vantrel {

PendingTransferProbe ApplicationProbe();

}  // namespace vantrel
