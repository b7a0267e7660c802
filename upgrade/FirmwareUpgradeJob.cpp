// The firmware upgrade job (worker thread): brings the writer into its boot
// loader, erases the 136 pages of APROM, programs and verifies every page with
// the image of the firmware file loaded at the start, and resets the writer. Every step text goes
// to the error pane; the progress bar follows the erase and the programming.

#include <vector>

#include "app/VantrelCore.h"
#include "upgrade/BootLoaderCommands.h"
#include "upgrade/FirmwareImage.h"

using namespace vantrel;

namespace {

// How long the boot loader may take to show up after EnterLdrom, and then to open.
constexpr uint32_t kBootLoaderAppearMs = 10000;
constexpr uint32_t kBootLoaderOpenMs = 3000;

class FirmwareUpgrade {
public:
    FirmwareUpgrade(CVantrelCore& core, const std::wstring& path) : m_core(core), m_path(path) {}

    bool Run() {
        m_core.m_bAwaitingBootLoader = TRUE;
        // The file is read, deciphered and checked before the writer is touched: a
        // file that cannot be read or is not sound leaves the writer as it is. The
        // image programmed is that of the bytes read here, whatever happens to the
        // file later. Addresses that the file does not name are programmed as 0x00.
        std::vector<uint8_t> image(kFirmwareImageSize, 0);
        if (!m_core.LoadFirmwareImage(m_path, image.data())) return false;

        if (m_core.m_bBootMode) {
            // Already in the boot loader: no restart and no wait.
            ShowWarning();
        } else if (!ReachBootLoader()) {
            return false;
        }
        if (!Erase()) return false;
        if (!ProgramAndVerify(image.data())) return false;
        return Reset();
    }

private:
    void Show(const wchar_t* text) { m_core.m_view.SetPaneText(kPaneError, text); }

    void ShowWarning() {
        m_core.m_view.ShowMessage(L"固件更新，不要断开usb连接！", L"警告",
                                  kMbOk | kMbIconExclamation | kMbSystemModal);
    }

    // Ends the job with failure after closing the link.
    bool Fail() {
        LinkTransaction guard(m_core);
        m_core.m_hidDevice.Close();
        return false;
    }

    uint32_t Elapsed(uint32_t since) { return m_core.m_clock.GetTickCount() - since; }

    bool ReachBootLoader() {
        switch (RequestLdrom(m_core)) {
            case LdromRequest::Sent:
                break;
            case LdromRequest::NotOpened:
                Show(L"无法打开USB设备");
                return Fail();
            case LdromRequest::NotWritten:
                return Fail();
        }
        // The writer is already restarting while the box is open.
        ShowWarning();

        // Presence tracking clears the flag once the boot loader has answered its
        // query. The link gate is not held here, so it can do that at any time; the
        // worker's own messages are drained on every pass.
        const uint32_t t0 = m_core.m_clock.GetTickCount();
        Show(L"连接LDROM...");
        while (m_core.m_bAwaitingBootLoader.load()) {
            m_core.m_view.PumpWorkerMessages();
            if (Elapsed(t0) > kBootLoaderAppearMs) {
                // The link is left as it is: presence tracking owns it now.
                Show(L"连接LDROM失败!");
                return false;
            }
        }

        const uint32_t t1 = m_core.m_clock.GetTickCount();
        for (;;) {
            bool opened;
            {
                LinkTransaction guard(m_core);
                opened = m_core.m_hidDevice.Open(kBootLoaderVendorId, kBootLoaderProductId,
                                                 kBootLoaderVersion);
            }
            if (opened) break;
            if (Elapsed(t1) > kBootLoaderOpenMs) {
                Show(L"连接LDROM失败!");
                return Fail();
            }
        }
        Show(L"连接LDROM成功!");
        return true;
    }

    bool Erase() {
        Show(L"APROM擦除...");
        for (uint32_t i = 0; i < kPageCount; ++i) {
            if (i > 0) SetProgressForPage(i);
            if (!m_core.EraseApromPage(i * kPageSize)) {
                Show(L"APROM擦除失败!");
                return Fail();
            }
        }
        Show(L"APROM擦除完成!");
        return true;
    }

    bool ProgramAndVerify(const uint8_t* image) {
        Show(L"APROM烧录...");
        for (uint32_t i = 0; i < kPageCount; ++i) {
            const uint32_t address = i * kPageSize;
            const uint32_t expected = PageChecksum(image + address);
            if (!m_core.ProgramApromPage(address, image + address)) {
                Show(L"APROM烧录失败!");
                return Fail();
            }
            uint32_t readBack = 0;
            if (!m_core.ReadApromChecksum(address, readBack)) {
                Show(L"APROM读取CheckSum失败!");
                return Fail();
            }
            if (readBack != expected) {
                Show(L"CheckSum验证失败!");
                return Fail();
            }
            if (i > 0) SetProgressForPage(i);
        }
        return true;
    }

    bool Reset() {
        Show(L"APROM BOOT 成功!");
        if (!m_core.SystemReset()) {
            Show(L"系统复位失败!");
            return Fail();
        }
        // The writer leaves the bus as the boot loader and comes back as the
        // application; presence tracking reports that.
        m_core.m_bBootMode = FALSE;
        Show(L"系统复位完成!");
        m_core.m_view.SetProgress(100);
        return true;
    }

    void SetProgressForPage(uint32_t page) {
        m_core.m_view.SetProgress(static_cast<int>(100 * page / kPageCount));
    }

    CVantrelCore& m_core;
    const std::wstring& m_path;
};

}  // namespace

bool CVantrelCore::RunFirmwareUpgrade(const std::wstring& path) {
    return FirmwareUpgrade(*this, path).Run();
}
