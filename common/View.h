#pragma once
// The view: everything the core shows to the operator or asks of the operator.
// The Windows dialog implements it with window messages, the CLI prints, and the
// tests record every call.

#include <cstdint>
#include <string>

namespace vantrel {

class IView {
public:
    virtual ~IView() = default;

    // Sets the text of status-bar pane 0-3 (kPane*); a new text replaces the old one.
    virtual void SetPaneText(int pane, const std::wstring& text) = 0;
    // Sets the progress bar (control 1016) to a position of 0-100.
    virtual void SetProgress(int position) = 0;
    // Sets the text of control 1018, 1019 or 1024 (kIdc*).
    virtual void SetControlText(int controlId, const std::wstring& text) = 0;
    // Shows a message box owned by the main dialog and returns when it is closed.
    virtual void ShowMessage(const std::wstring& text, const std::wstring& caption,
                             unsigned style) = 0;
    // Shows the programming-mode dialog modally (it opens with six-wire selected)
    // and returns its answer: 1 six-wire, 2 five-wire.
    virtual uint8_t AskProgramMode() = 0;
    // Removes and dispatches every message waiting in the calling (worker) thread's
    // own queue. Called on every pass of the upgrade's wait for the boot loader.
    virtual void PumpWorkerMessages() {}
    // Asks the user-interface thread to replay device notifications that it had to
    // defer while a job's transaction held the link. May be called from any thread.
    virtual void RequestDeviceCheck() {}
};

}  // namespace vantrel
