#pragma once
// One writer job run by a front end's own loop, as the dialog runs it: the start-up
// detection, the button click that queues the job, presence tracking for the device
// events that arrive while the worker runs it, and after an upgrade the wait for the
// writer to come back as its application. The CLI runs one; a station runs one per
// writer.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/JobView.h"
#include "app/LoopTurns.h"
#include "app/TextRecorder.h"
#include "app/VantrelCore.h"
#include "link/DeviceEvents.h"

namespace vantrel {

enum class JobKind { Configure, Upgrade };

// How a job ended. NotBack: the upgrade succeeded but the writer did not come back
// as its application in time.
enum class JobOutcome { Succeeded, Failed, NoWriter, FileRefused, NotBack };

struct JobRequest {
    JobKind kind = JobKind::Configure;
    std::wstring file;
    // The file as the front end read and checked it: the job uses these bytes.
    std::vector<uint8_t> bytes;
    bool wideOptions = false;
    bool force = false;
};

// The job's file checked as the job would check it, before any writer is touched:
// the lines of its refusal, none when the job may use it. `warnings` gets what the
// check noted of a firmware file it accepts (data dropped outside the image,
// records of no effect).
std::vector<std::wstring> CheckJobFile(const JobRequest& request,
                                       std::vector<std::wstring>& warnings);

// How long a run waits for the writer to come back after an upgrade's reset.
constexpr uint32_t kApplicationReturnMs = 5000;

class JobRun {
public:
    JobRun(IClock& clock, IHidPlatform& platform, IDeviceEventSource& events, IJobView& view);
    ~JobRun();
    JobRun(const JobRun&) = delete;
    JobRun& operator=(const JobRun&) = delete;

    // The dialog's start-up detection.
    void Start();
    bool WriterFound() const;

    // Queues the job as the dialog's button would and runs the loop until it ends.
    JobOutcome Run(const JobRequest& request);

    // Stops the worker (every text is in afterwards) and ends the view's output.
    void Stop();

    // Whether the writer was to get the programming mode (after a configuration).
    bool SendsProgramMode() const;
    // The gate every job transaction holds (an interruption waits on it).
    std::mutex& LinkGate();
    TextRecorder& Recorder() { return m_recorder; }
    std::wstring Connection() { return m_view.LastPane(kPaneConnection); }

private:
    class Core;

    void Pass();
    bool AwaitApplication();
    bool BackAsApplication();

    IClock& m_clock;
    IDeviceEventSource& m_events;
    IJobView& m_view;
    LoopTurns m_turns;
    TextRecorder m_recorder;
    std::unique_ptr<Core> m_core;
};

}  // namespace vantrel
