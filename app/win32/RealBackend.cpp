// Vantrel.exe: the dialog over the system's HID interfaces. Arrivals and removals
// come from the system as WM_DEVICECHANGE, for which the dialog registers itself.
// The writer opens only under its claim, so the dialog and a vantrel-cli (or a
// second dialog) never talk to one writer at once; a writer whose last holder
// vanished mid-transfer is brought back before it is used.

#include "app/WriterRecovery.h"
#include "app/win32/ToolBackend.h"
#include "link/OsBackend.h"
#include "link/WriterClaims.h"

namespace vantrel::win32 {
namespace {

class RealBackend : public IToolBackend {
public:
    RealBackend() {
        m_claiming.SetRecovery(
            [](IHidPlatform& platform, const std::wstring& path, uint16_t version) {
                return WriterUsable(RecoverWriter(platform, path, version));
            });
    }
    IHidPlatform& Platform() override { return m_claiming; }
    IClock& Clock() override { return m_clock; }
    const wchar_t* ProcessImageName() const override { return L"Vantrel.exe"; }
    ClaimingPlatform* ClaimScope() override { return &m_claiming; }

private:
    RealClock m_clock;
    std::unique_ptr<OsBackend> m_os = MakeOsBackend();
    std::unique_ptr<IClaimBackend> m_claimBackend = MakeSystemClaimBackend();
    WriterClaims m_claims{*m_claimBackend,
                          [] { return DescribeHolder("Vantrel.exe", "the dialog's job"); }};
    ClaimingPlatform m_claiming{m_os->Platform(), m_claims};
};

}  // namespace

std::unique_ptr<IToolBackend> CreateToolBackend() { return std::make_unique<RealBackend>(); }

}  // namespace vantrel::win32
