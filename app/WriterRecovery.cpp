#include "app/WriterRecovery.h"

#include "configure/ApplicationRecovery.h"
#include "upgrade/BootLoaderCommands.h"
#include "upgrade/BootLoaderRecovery.h"

namespace vantrel {

RecoveryOutcome RecoverWriter(IHidPlatform& platform, const std::wstring& path,
                              uint16_t versionNumber, uint32_t* fillers) {
    const PendingTransferProbe probe =
        versionNumber == kBootLoaderVersion ? BootLoaderProbe() : ApplicationProbe();
    return RecoverPendingTransfer(platform, path, probe, fillers);
}

}  // namespace vantrel
