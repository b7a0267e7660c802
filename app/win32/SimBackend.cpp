// VantrelSim.exe: the dialog over the simulated writer, which starts attached in
// its application mode. Its arrivals and removals reach the dialog as
// WM_DEVICECHANGE records, through the same handler as the system's.

#include "app/win32/ToolBackend.h"
#include "sim/SimWriter.h"

namespace vantrel::win32 {
namespace {

class SimBackend : public IToolBackend {
public:
    SimBackend() : m_writer(m_clock, sim::SimOptions{}) {}

    IHidPlatform& Platform() override { return m_writer.Platform(); }
    IClock& Clock() override { return m_clock; }
    const wchar_t* ProcessImageName() const override { return L"VantrelSim.exe"; }
    uint32_t DeviceEventIntervalMs() const override { return 20; }

    std::vector<DeviceChange> TakeDueDeviceEvents() override { return m_writer.TakeDueEvents(); }

private:
    RealClock m_clock;
    sim::SimWriter m_writer;
};

}  // namespace

std::unique_ptr<IToolBackend> CreateToolBackend() { return std::make_unique<SimBackend>(); }

}  // namespace vantrel::win32
