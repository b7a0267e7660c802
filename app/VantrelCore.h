#pragma once
// CVantrelCore: the portable state and operations of the main dialog. The
// Windows dialog CVantrelDlg derives from it, and the CLI and the tests use it
// directly. Its operations are defined in the folder of their subsystem:
//   app/        worker loop, job queue, button handlers, start-up and shutdown
//   link/       presence tracking
//   configure/  configuration job, command channel, decoding, sequence
//   upgrade/    firmware upgrade job, boot-loader commands, firmware image reader

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "app/JobQueue.h"
#include "app/Lock.h"
#include "app/Thread.h"
#include "common/Clock.h"
#include "common/DeviceChange.h"
#include "common/FileRead.h"
#include "common/View.h"
#include "common/WindowSystem.h"
#include "configure/ConfigurationRecord.h"
#include "configure/ControlFile.h"
#include "link/ClaimingPlatform.h"
#include "link/HidDevice.h"
#include "link/HidPlatform.h"

class CVantrelCore : public CThread, public vantrel::ConfigurationRecord {
public:
    CVantrelCore(vantrel::IView& view, vantrel::IClock& clock, vantrel::IHidPlatform& platform);
    ~CVantrelCore() override;
    CVantrelCore(const CVantrelCore&) = delete;
    CVantrelCore& operator=(const CVantrelCore&) = delete;

    // ---- Start-up and shutdown (app/) ------------------------------------------
    // Flags, command family, file path and the writer identity as at dialog start.
    void ResetStartupState();
    // The start-up detection: DetectWriter, then the link is closed again.
    void DetectWriterAtStartup();
    // Empties the queue and starts the worker thread; m_nProgramMode = 1.
    BOOL StartWorker();
    // Queues Quit and waits at most `waitMs` for the worker; true when it ended.
    bool StopWorker(uint32_t waitMs);

    // ---- Worker thread and job queue (app/) ---------------------------------------
    BOOL InitThread() override;
    void Run() override;
    BOOL PostJob(int32_t command);
    void OnConfigureWriter();
    void OnUpgradeFirmware();
    // m_strFilePath is written by the user-interface thread and copied by the worker;
    // both go through the path lock.
    void SetFilePath(const std::wstring& path);
    std::wstring CopyFilePath();
    // A front end that has read and checked the job's file hands the core those
    // bytes, so that the job uses exactly what was checked instead of reading the
    // file again. The dialog does not: its jobs read the file themselves.
    void PreloadFile(const std::wstring& path, std::vector<uint8_t> bytes);
    // The bytes of the job's file: the copy preloaded for `path`, or the file read
    // now with ReadRegularFile. At most `limit` bytes are accepted either way.
    vantrel::FileReadResult ReadJobFile(const std::wstring& path, size_t limit,
                                        std::vector<uint8_t>& bytes);

    // ---- Configuration (configure/) ---------------------------------------------
    // The two jobs are virtual so that tests of the worker can stand in for them.
    // Both return whether the job succeeded; the worker does not look at it, front
    // ends such as the CLI do.
    virtual bool RunConfigurationJob();
    bool ConfigureWriter(const vantrel::ControlFile& file);
    bool DecodeConfiguration(const vantrel::ControlFile& file);
    bool DownIC();
    bool SendCommand();
    bool SendCommandWithData(const uint8_t* data);
    const wchar_t* TransferWithData(const uint8_t* data, bool& accepted);

    // ---- Firmware upgrade (upgrade/) ----------------------------------------------
    virtual bool RunFirmwareUpgrade(const std::wstring& path);
    // Reads the firmware file once, deciphers, parses and checks it in memory and
    // fills the 69,632-byte image. False, after its pane text and message box, when
    // the file cannot be read or (unless m_bSkipFirmwareCheck) is not sound.
    bool LoadFirmwareImage(const std::wstring& path, uint8_t* image);
    bool EraseApromPage(uint32_t pageAddress);
    bool ProgramApromPage(uint32_t pageAddress, const uint8_t* page);
    bool ReadApromChecksum(uint32_t pageAddress, uint32_t& checksum);
    uint8_t QueryBootLoader();
    bool SystemReset();
    bool EnterLdrom();

    // ---- Presence tracking (link/) ------------------------------------------------
    void DetectWriter();
    BOOL OnDeviceChange(uint32_t eventType, const vantrel::DeviceBroadcast* header);
    // Replays the notifications that had to wait while a job's transaction held
    // the link (user-interface thread; see RequestDeviceCheck of the view).
    void ProcessDeferredDeviceChanges();

    // ---- Members ------------------------------------------------------------------
    vantrel::JobQueue m_jobQueue;
    vantrel::CriticalSection m_csJobQueue;
    uint32_t m_dwProcessId = 0;
    std::wstring m_strFileDir;
    std::wstring m_strFilePath;
    vantrel::CriticalSection m_csFilePath;
    // Under the path lock too.
    bool m_bFilePreloaded = false;
    std::wstring m_strPreloadedPath;
    std::vector<uint8_t> m_preloadedBytes;

    std::atomic<BOOL> m_bConfigIdle{TRUE};
    std::atomic<BOOL> m_bUpgradeBusy{FALSE};
    BOOL m_bWriterConnected = FALSE;
    BOOL m_bDevicePresent = FALSE;
    std::atomic<BOOL> m_bBootMode{FALSE};
    std::atomic<BOOL> m_bAwaitingBootLoader{FALSE};
    // Set by front ends that let an operator upgrade from a file that fails its
    // check (recovery); the dialog never sets it.
    BOOL m_bSkipFirmwareCheck = FALSE;
    // Set by the last LoadFirmwareImage when it refused the file for its contents.
    BOOL m_bFirmwareRefused = FALSE;

    CHidDevice m_hidDevice;
    int32_t m_nVid = 0x0416;
    int32_t m_nPid = 0x5020;
    int32_t m_nAppVersion = 0x0100;
    int32_t m_nBootVersion = 0x8888;

    // Link separation between the user-interface thread (presence tracking) and the
    // worker (jobs): every job transaction holds m_linkGate from Open to Close; presence
    // tracking only ever try-locks it and defers a notification it cannot take now.
    std::mutex m_linkGate;
    std::atomic<BOOL> m_bDeviceCheckPending{FALSE};
    std::vector<vantrel::DeviceChange> m_deferredChanges;
    // Where the front end opens the writer under its claim: each job holds the claim
    // from its start to its end (null: the front end holds it for its whole run).
    vantrel::ClaimingPlatform* m_claimScope = nullptr;

    vantrel::IView& m_view;
    vantrel::IClock& m_clock;
    vantrel::IHidPlatform& m_platform;
};

namespace vantrel {

// Holds the link for one job transaction (worker thread). On release it asks the
// user-interface thread to replay any device notification deferred meanwhile.
class LinkTransaction {
public:
    explicit LinkTransaction(CVantrelCore& core);
    ~LinkTransaction();
    LinkTransaction(const LinkTransaction&) = delete;
    LinkTransaction& operator=(const LinkTransaction&) = delete;

private:
    CVantrelCore& m_core;
};

}  // namespace vantrel
