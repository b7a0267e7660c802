#pragma once
// CDialogLite: a modal dialog on a dialog template, with a message map (a table of
// messages and commands, each with a member handler), control binding when the
// dialog is initialised (DoDataExchange / DDX_Control), and OK / Cancel defaults.

#include <windows.h>

#include <cstddef>

#include "app/win32/Controls.h"

// Passed to DoDataExchange: which dialog, and which direction.
class CDataExchange {
public:
    HWND m_hDlg = nullptr;
    BOOL m_bSaveAndValidate = FALSE;
};

// Binds the control `id` of the dialog to `control`.
void DDX_Control(CDataExchange* pDX, int id, CWndLite& control);

class CDialogLite : public CWndLite {
public:
    explicit CDialogLite(UINT templateId, HWND parent = nullptr);
    ~CDialogLite() override;

    // Creates the dialog from its template and runs it modally on the calling
    // thread; returns the value given to EndDialog, or -1 when it could not be made.
    INT_PTR DoModal();
    // Ends the modal run once the current message has been handled.
    void EndDialog(INT_PTR result) const;

    HWND GetDlgItem(int id) const;
    // Control binding (FALSE: members from controls, at initialisation).
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

protected:
    // The framework's initialisation: binds the controls. TRUE puts the focus on the
    // first control.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    // Command IDOK / IDCANCEL when no map entry takes it: end the dialog.
    virtual void OnOK();
    virtual void OnCancel();
    // The message map of the derived class. true when `message` was handled; then
    // `result` is its answer. false leaves the message to the default processing.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    UINT m_nTemplateId;
    HWND m_hParent;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// One entry of a dialog class's message map: a command (WM_COMMAND from a button,
// the Enter or Esc key, or a menu) or any other message.
template <class T>
struct MessageMap {
    using CommandHandler = void (T::*)();
    using MessageHandler = bool (T::*)(WPARAM, LPARAM, LRESULT&);

    struct Entry {
        UINT message;
        UINT commandId;
        CommandHandler onCommand;
        MessageHandler onMessage;
    };

    static constexpr Entry Command(UINT id, CommandHandler handler) {
        return Entry{WM_COMMAND, id, handler, nullptr};
    }
    static constexpr Entry Message(UINT message, MessageHandler handler) {
        return Entry{message, 0, nullptr, handler};
    }

    // Runs the handler of the first entry that matches; true when one did (and,
    // for a message handler, when it handled the message).
    template <std::size_t N>
    static bool Dispatch(T* self, const Entry (&map)[N], UINT message, WPARAM wParam, LPARAM lParam,
                         LRESULT& result) {
        for (const Entry& entry : map) {
            if (entry.message != message) continue;
            if (message == WM_COMMAND) {
                // Clicks, keys and menu commands only; other notifications of the
                // control (an edit field's changes, for example) are not commands.
                if (LOWORD(wParam) != entry.commandId || HIWORD(wParam) > 1) continue;
                (self->*entry.onCommand)();
                result = 0;
                return true;
            }
            return (self->*entry.onMessage)(wParam, lParam, result);
        }
        return false;
    }
};
