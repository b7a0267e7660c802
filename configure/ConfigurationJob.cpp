// RunConfigurationJob: what the worker runs for a Configure command. Loads and
// checks the chosen control file, shows the IC name, runs the configuration
// sequence and reports the outcome in the panes, the progress bar, message boxes
// and, after a success, the two checksum fields.

#include <cstring>
#include <memory>

#include "app/VantrelCore.h"
#include "configure/AnsiText.h"
#include "configure/ChecksumDisplay.h"

using namespace vantrel;

namespace {

const wchar_t* const kConfiguringText = L"配置烧录器中......";
const wchar_t* const kSucceededText = L"配置成功";
const wchar_t* const kFailedText = L"配置失败";
const wchar_t* const kSucceededBoxText = L"烧录器配置成功！";
const wchar_t* const kFailedBoxText = L"烧录器配置失败！";

constexpr uint32_t kIcNameLength = 16;

}  // namespace

bool CVantrelCore::RunConfigurationJob() {
    m_view.SetProgress(0);
    m_view.SetPaneText(kPaneError, L"");
    m_view.SetPaneText(kPaneActivity, L"");
    m_view.SetControlText(kIdcFirstChecksum, L"");
    m_view.SetControlText(kIdcSecondChecksum, L"");

    // 34 KB: kept off the worker's stack.
    auto file = std::make_unique<ControlFile>();
    std::vector<uint8_t> bytes;
    const FileReadResult read = ReadJobFile(CopyFilePath(), kControlFileLength, bytes);
    const ControlFileResult loaded = read == FileReadResult::Ok ? ParseControlFile(bytes, *file)
                                     : read == FileReadResult::TooLarge
                                         ? ControlFileResult::WrongLength
                                         : ControlFileResult::CannotOpen;
    if (loaded != ControlFileResult::Ok) {
        const std::wstring text = ControlFileResultText(loaded);
        m_view.SetPaneText(kPaneError, text);
        m_view.ShowMessage(text, L"Message", kMbSystemModal);
        return false;
    }

    // The IC name is the start of the header's name field.
    std::memcpy(m_icName, file->header + kHeaderNameOffset, kIcNameLength);
    m_view.SetControlText(kIdcIcName, AnsiToWide(m_icName, kIcNameLength));

    m_view.SetProgress(80);
    m_view.SetPaneText(kPaneActivity, kConfiguringText);

    if (!ConfigureWriter(*file)) {
        m_view.SetPaneText(kPaneActivity, kFailedText);
        m_view.ShowMessage(kFailedBoxText, L"Message", kMbSystemModal);
        m_view.SetProgress(0);
        m_view.SetControlText(kIdcFirstChecksum, L"");
        m_view.SetControlText(kIdcSecondChecksum, L"");
        return false;
    }
    m_view.SetPaneText(kPaneActivity, kSucceededText);
    m_view.ShowMessage(kSucceededBoxText, L"Message", kMbSystemModal);
    m_view.SetProgress(100);
    const ChecksumTexts checksums =
        FormatChecksumDisplay(m_icDescriptor[9], m_idBlock, m_proCheckSum);
    m_view.SetControlText(kIdcFirstChecksum, checksums.first);
    m_view.SetControlText(kIdcSecondChecksum, checksums.second);
    return true;
}
