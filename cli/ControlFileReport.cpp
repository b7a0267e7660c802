#include "cli/ControlFileReport.h"

#include <memory>
#include <mutex>
#include <vector>

#include "app/VantrelCore.h"
#include "configure/AnsiText.h"
#include "configure/ChecksumDisplay.h"
#include "configure/ControlFile.h"
#include "configure/IcRules.h"
#include "link/NullHidPlatform.h"

namespace vantrel::cli {

namespace {

// Keeps the first message-box text; shows nothing.
class SilentView : public IView {
public:
    void SetPaneText(int, const std::wstring&) override {}
    void SetProgress(int) override {}
    void SetControlText(int, const std::wstring&) override {}
    void ShowMessage(const std::wstring& text, const std::wstring&, unsigned) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_first.empty()) m_first = text;
    }
    uint8_t AskProgramMode() override { return 1; }

    std::wstring First() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_first;
    }

private:
    std::mutex m_mutex;
    std::wstring m_first;
};

int32_t Le32(const uint8_t* at) {
    return static_cast<int32_t>(static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
                                static_cast<uint32_t>(at[2]) << 16 |
                                static_cast<uint32_t>(at[3]) << 24);
}

}  // namespace

ControlInspection InspectControlFile(const std::vector<uint8_t>& bytes, bool wideOptions) {
    ControlInspection report;
    // The header's name field, straight from a file of the right length.
    report.headerRead = bytes.size() == kControlFileLength;
    if (report.headerRead) {
        report.icName = AnsiToWide(bytes.data() + kDataRegionLength + 4 + kHeaderNameOffset, 16);
    }

    auto file = std::make_unique<ControlFile>();
    const ControlFileResult loaded = ParseControlFile(bytes, *file);
    if (loaded != ControlFileResult::Ok) {
        report.error = ControlFileResultText(loaded);
        return report;
    }

    SilentView view;
    RealClock clock;  // nothing here waits
    NullHidPlatform platform;
    auto core = std::make_unique<CVantrelCore>(view, clock, platform);
    core->ResetStartupState();
    core->m_bWideOptionBlock = wideOptions ? 1 : 0;
    if (!core->DecodeConfiguration(*file)) {
        report.error = view.First();
        return report;
    }

    report.valid = true;
    report.decoded = true;
    report.icType = core->m_icDescriptor[9];
    report.programWords = core->m_nProgramWords;
    report.eepromCount = core->m_nEepromCount;
    report.familyNumber = Le32(core->m_optionBlock + 12);
    report.commandFamily = core->m_nCommandFamily;
    report.lowMask = core->m_nLowMask;
    report.highShift = core->m_nHighShift;
    report.highMask = core->m_nHighMask;
    report.familyTag = core->m_nFamilyTag;
    report.packFlag = core->m_nPackFlag;
    report.asksProgramMode = AsksProgramMode(report.icType);
    const ChecksumTexts texts =
        FormatChecksumDisplay(report.icType, core->m_idBlock, core->m_proCheckSum);
    report.checksumMoe = texts.first;
    report.checksumMemory = texts.second;
    report.leve = core->m_leve;
    return report;
}

}  // namespace vantrel::cli
