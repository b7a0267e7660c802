// Vantrel.exe: the dialog over the system's HID interfaces. Arrivals and removals
// come from the system as WM_DEVICECHANGE, for which the dialog registers itself.

#include "app/win32/ToolBackend.h"
#include "link/win32/WinHidPlatform.h"

namespace vantrel::win32 {
namespace {

class RealBackend : public IToolBackend {
public:
    IHidPlatform& Platform() override { return m_platform; }
    IClock& Clock() override { return m_clock; }
    const wchar_t* ProcessImageName() const override { return L"Vantrel.exe"; }

private:
    RealClock m_clock;
    WinHidPlatform m_platform;
};

}  // namespace

std::unique_ptr<IToolBackend> CreateToolBackend() { return std::make_unique<RealBackend>(); }

}  // namespace vantrel::win32
