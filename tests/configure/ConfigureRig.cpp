#include "tests/configure/ConfigureRig.h"

namespace vantrel::test {

ConfigureRig::ConfigureRig(sim::SimOptions options)
    : writer(clock, std::move(options)),
      link(writer.Platform(), clock),
      owner(std::make_unique<CVantrelCore>(view, clock, link)),
      core(*owner) {}

bool ConfigureRig::Configure(const ControlFileContents& contents, bool wideOptions) {
    core.m_bWideOptionBlock = wideOptions ? 1 : 0;
    return ConfigureBytes(BuildControlFile(contents));
}

bool ConfigureRig::ConfigureBytes(const std::vector<uint8_t>& bytes) {
    const std::wstring path = folder.Write(L"file" + std::to_wstring(++m_files) + L".ctl", bytes);
    core.SetFilePath(path);
    return core.RunConfigurationJob();
}

}  // namespace vantrel::test
