// LoadFirmwareImage: reads the firmware file once into memory (or takes the copy a
// front end preloaded), deciphers, parses and checks it there, and refuses a file
// that is not sound Intel HEX before the job sends anything to the writer. No
// other file is written or read.

#include <cstring>
#include <vector>

#include "app/VantrelCore.h"
#include "common/FileRead.h"
#include "upgrade/FirmwareDecoding.h"
#include "upgrade/FirmwareImage.h"

bool CVantrelCore::LoadFirmwareImage(const std::wstring& path, uint8_t* image) {
    m_bFirmwareRefused = FALSE;
    std::vector<uint8_t> bytes;
    if (ReadJobFile(path, vantrel::kMaxFirmwareFileSize, bytes) != vantrel::FileReadResult::Ok) {
        m_view.SetPaneText(vantrel::kPaneError, L"源文件不能打开");
        m_view.ShowMessage(L"源文件不能打开", L"Message", vantrel::kMbSystemModal);
        return false;
    }
    const vantrel::DecodedFirmware load = vantrel::DecodeFirmwareBytes(bytes.data(), bytes.size());
    if (!load.check.Sound() && !m_bSkipFirmwareCheck) {
        m_bFirmwareRefused = TRUE;
        m_view.SetPaneText(vantrel::kPaneError, L"固件文件无效!");
        m_view.ShowMessage(vantrel::FirmwareRefusalText(load.check.problems.front()), L"Message",
                           vantrel::kMbSystemModal);
        return false;
    }
    std::memcpy(image, load.image.data(), vantrel::kFirmwareImageSize);
    return true;
}
