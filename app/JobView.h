#pragma once
// The view of a writer job run by a front end's own loop (app/JobRun): what the
// dialog's window shows, plus the steps that the wire narrator names, the elapsed
// time and the texts the run reads back after the job.

#include <functional>
#include <string>

#include "common/View.h"

namespace vantrel {

class IJobView : public IView {
public:
    // A step begins: `name` as the protocol names it, `detail` a few words or empty.
    virtual void StepStarted(const std::wstring& name, const std::wstring& detail) = 0;
    // A short label for the running step (a page count); nothing is printed.
    virtual void SetLabel(const std::wstring& label) = 0;
    // The loop's turn: redraw what shows the time.
    virtual void Tick() {}
    // The job's output ends (a bar is taken away, held-back results printed).
    virtual void Finish() {}
    // The last text of a pane (empty when none was set).
    virtual std::wstring LastPane(int pane) = 0;
    // True when the core asked the programming-mode question.
    virtual bool ModeAsked() const = 0;
    // True once since the last call when the core asked for deferred device
    // notifications to be replayed.
    virtual bool TakeDeviceCheckRequest() = 0;
    // Called on the worker thread on every pass of the upgrade's wait for the boot
    // loader, so that the run's loop can take a turn.
    virtual void SetPumpHook(std::function<void()> hook) = 0;
};

}  // namespace vantrel
