// The worker thread: takes the queued job commands off in batches and runs each
// job to its end, one at a time; and the two button handlers that queue them.

#include "app/VantrelCore.h"

using namespace vantrel;

BOOL CVantrelCore::InitThread() { return TRUE; }

BOOL CVantrelCore::PostJob(int32_t command) {
    CLock lock(&m_csJobQueue);
    m_jobQueue.push_back(JobEntry{command, 0, 0});
    return TRUE;
}

void CVantrelCore::SetFilePath(const std::wstring& path) {
    CLock lock(&m_csFilePath);
    m_strFilePath = path;
}

std::wstring CVantrelCore::CopyFilePath() {
    CLock lock(&m_csFilePath);
    return m_strFilePath;
}

void CVantrelCore::PreloadFile(const std::wstring& path, std::vector<uint8_t> bytes) {
    CLock lock(&m_csFilePath);
    m_bFilePreloaded = true;
    m_strPreloadedPath = path;
    m_preloadedBytes = std::move(bytes);
}

FileReadResult CVantrelCore::ReadJobFile(const std::wstring& path, size_t limit,
                                         std::vector<uint8_t>& bytes) {
    {
        CLock lock(&m_csFilePath);
        if (m_bFilePreloaded && m_strPreloadedPath == path) {
            bytes.clear();
            if (m_preloadedBytes.size() > limit) return FileReadResult::TooLarge;
            bytes = m_preloadedBytes;
            return FileReadResult::Ok;
        }
    }
    return ReadRegularFile(path, limit, bytes);
}

void CVantrelCore::Run() {
    for (;;) {
        JobQueue batch;
        {
            CLock lock(&m_csJobQueue);
            batch.swap(m_jobQueue);
        }
        for (const JobEntry& entry : batch) {
            switch (entry.command) {
                case Quit:
                    // The rest of the batch is dropped with `batch`.
                    return;
                case Configure:
                    if (m_claimScope != nullptr) m_claimScope->BeginHold();
                    RunConfigurationJob();
                    if (m_claimScope != nullptr) m_claimScope->EndHold();
                    m_bConfigIdle = TRUE;
                    break;
                case UpgradeFirmware: {
                    std::wstring path = CopyFilePath();
                    if (m_claimScope != nullptr) m_claimScope->BeginHold();
                    RunFirmwareUpgrade(path);
                    if (m_claimScope != nullptr) m_claimScope->EndHold();
                    m_bUpgradeBusy = FALSE;
                    break;
                }
                default:
                    break;
            }
        }
        m_clock.Sleep(10);
    }
}

// Both handlers run on the user-interface thread, which is the only writer of
// m_strFilePath, so they read it without the path lock.
void CVantrelCore::OnConfigureWriter() {
    if (m_strFilePath.empty()) {
        m_view.SetPaneText(kPaneError, L"没有源文件");
        return;
    }
    if (!m_bWriterConnected) {
        m_view.SetPaneText(kPaneError, L"USB未连接");
        return;
    }
    if (m_bConfigIdle) {
        m_bConfigIdle = FALSE;
        PostJob(Configure);
    }
}

void CVantrelCore::OnUpgradeFirmware() {
    if (m_strFilePath.empty()) {
        m_view.SetPaneText(kPaneError, L"没有源文件");
        return;
    }
    if (!m_bDevicePresent) {
        m_view.SetPaneText(kPaneError, L"USB未连接");
        return;
    }
    if (!m_bUpgradeBusy) {
        m_bUpgradeBusy = TRUE;
        PostJob(UpgradeFirmware);
    }
}
