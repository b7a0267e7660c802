#pragma once
// CVantrelDlg: the main dialog (template 102). The portable state and operations
// come from CVantrelCore, which makes CThread the dialog's second base class; the
// dialog is also the core's view, which it implements with window messages.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "app/VantrelCore.h"
#include "app/win32/DialogLite.h"
#include "app/win32/IOModel.h"
#include "app/win32/ToolBackend.h"
#include "common/View.h"

class CVantrelDlg : public CDialogLite, public CVantrelCore, public vantrel::IView {
public:
    explicit CVantrelDlg(vantrel::win32::IToolBackend& backend);
    // Stops the worker before any member goes (see the definition).
    ~CVantrelDlg() override;

    // ---- The view (any thread) ---------------------------------------------------
    void SetPaneText(int pane, const std::wstring& text) override;
    void SetProgress(int position) override;
    void SetControlText(int controlId, const std::wstring& text) override;
    void ShowMessage(const std::wstring& text, const std::wstring& caption,
                     unsigned style) override;
    uint8_t AskProgramMode() override;
    void PumpWorkerMessages() override;
    void RequestDeviceCheck() override;

    HWND m_hStatusBar = nullptr;
    HDEVNOTIFY m_hDevNotify = nullptr;
    CProgressCtrlLite m_progress;
    CStaticLite m_staticIc;
    HICON m_hIcon = nullptr;
    CIOModel m_ioModelDlg;

    // Posted to the dialog to replay device notifications deferred during a job.
    static constexpr UINT kDeviceCheckMessage = WM_APP + 1;
    // The timer that collects the simulated writer's device events.
    static constexpr UINT_PTR kDeviceEventTimer = 1;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // Start-up pieces, in the order OnInitDialog runs them.
    void AddAboutToSystemMenu();
    void FindOwnProcess();
    void CreateStatusBar();
    void RegisterForDeviceNotifications();

    // Handlers.
    void OnBrowse();
    void OnEnter();
    void OnExit();
    bool OnSysCommand(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnPaint(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnQueryDragIcon(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnDeviceChangeMessage(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnDeviceCheck(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnTimer(WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Terminates the process m_dwProcessId, which is only ever the tool's own.
    void TerminateOwnProcess() const;

    vantrel::win32::IToolBackend& m_backend;
    // The dialog window for the worker thread: set once before the worker starts.
    HWND m_hViewWindow = nullptr;
    GUID m_hidGuid{};
    bool m_bDeliveringEvents = false;
};
