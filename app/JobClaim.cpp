#include "app/JobClaim.h"

#include <vector>

#include "app/WriterRecovery.h"
#include "common/ShownText.h"
#include "common/Text.h"
#include "protocol/WriterIdentity.h"

namespace vantrel {

bool ClaimWriterForJob(const JobClaimRequest& request, IClock& clock, WriterClaims& claims,
                       ClaimingPlatform& claiming, IHidPlatform& below,
                       const AttachedWriter& writer,
                       const std::function<void(const std::wstring&)>& say) {
    std::vector<std::wstring> keys = {claiming.KeyOf(writer.path)};
    // In its boot loader a writer of unknown location cannot be told from another one.
    if (request.upgrade && writer.location.empty() && writer.mode == WriterMode::Application) {
        keys.push_back(ClaimKey(L"", L"", true));
    }
    const uint32_t start = clock.GetTickCount();
    bool vanished = false;
    for (const std::wstring& key : keys) {
        std::string heldBy;
        bool said = false;
        bool left = false;
        while (!claims.Hold(key, &heldBy, &left)) {
            const std::wstring busy = L"the writer at " + WriterPlace(writer) + L" is busy: " +
                                      ShownText(FromUtf8(heldBy));
            if (!request.wait || clock.GetTickCount() - start >= request.waitSeconds * 1000) {
                say(busy);
                return false;
            }
            if (!said) say(busy + L"; waiting");
            said = true;
            clock.Sleep(100);
        }
        vanished = vanished || left;
    }
    if (!vanished || writer.mode == WriterMode::Busy) return true;
    uint32_t fillers = 0;
    const uint16_t version = static_cast<uint16_t>(
        writer.mode == WriterMode::Application ? kApplicationVersion : kBootLoaderVersion);
    const RecoveryOutcome outcome = RecoverWriter(below, writer.path, version, &fillers);
    if (outcome == RecoveryOutcome::Recovered) {
        say(L"the writer at " + WriterPlace(writer) +
            L" was left in the middle of a transfer by a run that ended; " +
            std::to_wstring(fillers) + L" filler report" + (fillers == 1 ? L"" : L"s") +
            L" completed it");
    } else if (!WriterUsable(outcome)) {
        say(L"the writer at " + WriterPlace(writer) +
            L" does not answer after an interrupted transfer: unplug it and plug it back in "
            L"(a writer powered from USB restarts)");
        return false;
    }
    return true;
}

}  // namespace vantrel
