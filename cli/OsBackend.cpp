#include "cli/OsBackend.h"

#include "cli/NullPlatform.h"

namespace vantrel::cli {

namespace {

class PlaceholderBackend : public OsBackend {
public:
    IHidPlatform& Platform() override { return m_platform; }
    std::unique_ptr<IDeviceEventSource> MakeEvents(IHidPlatform&, IClock&) override {
        return std::make_unique<NoDeviceEvents>();
    }

private:
    NullPlatform m_platform;
};

}  // namespace

std::unique_ptr<OsBackend> MakeOsBackend() { return std::make_unique<PlaceholderBackend>(); }

}  // namespace vantrel::cli
