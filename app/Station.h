#pragma once
// A production station: one job (a configuration or an upgrade) on every attached
// writer at once, each writer followed by its place as --device follows it, and
// with `watch` also on every writer plugged in later, once per plug-in. Each job
// runs on threads of its own with its own platform layers, claim, view and clock,
// so that one writer's failure never stops, slows or corrupts another's job. The
// caller's thread runs the station's loop: it hands the device events to every
// job, looks for new writers and ends the jobs that have finished.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/AttachedWriters.h"
#include "app/JobClaim.h"
#include "app/JobRun.h"
#include "app/StationRow.h"
#include "common/Json.h"
#include "link/DeviceEvents.h"
#include "link/WriterClaims.h"

namespace vantrel {

// A job that has ended, as the station's log records it.
struct StationJobResult {
    StationRowState row;
    AttachedWriter writer;
    // Every text the job showed, in order ([{"where": ..., "text": ...}]).
    OrderedJson texts;
    // After a configuration: the IC name and the two checksums shown (empty when
    // not shown).
    std::wstring icName;
    std::wstring checksumMoe;
    std::wstring checksumMemory;
    uint32_t milliseconds = 0;
};

struct StationSetup {
    JobRequest request;
    JobClaimRequest claim;
    // The answer to the programming-mode question (0: six-wire, nobody to ask).
    uint8_t mode = 0;
    // Also serve the writers plugged in later, until `count` jobs (0: no limit), or
    // `idleSeconds` without a writer to serve (0: no limit), or StopNewJobs.
    bool watch = false;
    uint32_t count = 0;
    uint32_t idleSeconds = 0;
    // Without watch: wait at most this long for a first writer (0: not at all).
    uint32_t waitMs = 0;
    // The clock of the job at `place` (null: the station's own).
    std::function<IClock*(const std::wstring& place)> clockOf;
    // Where each writer's own device events come from, when the system tells them
    // writer by writer (the simulated bus); null: from the station's one source,
    // handed to every job.
    std::function<std::unique_ptr<IDeviceEventSource>(const AttachedWriter& writer)> eventsOf;
    // Each text a job shows, with its writer's place.
    RowListener listener;
    // A text of the station's own (said once).
    std::function<void(const std::wstring& text)> notice;
    // A job has ended (called on the station's loop, one at a time).
    std::function<void(const StationJobResult& result)> finished;
};

class Station {
public:
    Station(IClock& clock, IHidPlatform& platform, IDeviceEventSource& events, WriterClaims& claims,
            StationSetup setup);
    ~Station();
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    // Runs the station until its end; `turn` is called on every pass of its loop
    // (a display redraws). Returns the number of jobs run.
    size_t Run(const std::function<void()>& turn);
    // No new job starts; the running ones finish (the first interruption).
    void StopNewJobs() { m_stopping = true; }
    bool Stopping() const { return m_stopping; }

    // Every row so far, in the order the jobs started.
    std::vector<StationRowState> Rows();
    // For each job still running: its place and where its writer stands now
    // ("sim-2: the writer is left in its boot loader ...").
    std::vector<std::string> WhereRunningWritersAre();

private:
    struct Job;

    void StartJob(const AttachedWriter& writer);
    void RunJob(Job& job);
    // Joins the jobs that have ended and reports them; returns how many still run.
    size_t Reap();
    // Takes the system's device events and hands them to every running job.
    void PumpEvents();

    IClock& m_clock;
    IHidPlatform& m_platform;
    IDeviceEventSource& m_events;
    WriterClaims& m_claims;
    const StationSetup m_setup;
    std::atomic<bool> m_stopping{false};
    std::mutex m_eventsMutex;
    std::mutex m_jobsMutex;
    std::vector<std::unique_ptr<Job>> m_jobs;
    // Where locations are unknown, one job at a time is in a restart window.
    class RestartWindow {
    public:
        void Enter(const void* job);
        void Leave(const void* job);

    private:
        std::mutex m_mutex;
        std::condition_variable m_changed;
        const void* m_holder = nullptr;
    };
    RestartWindow m_restartWindow;
    bool m_saidUnlocated = false;
};

}  // namespace vantrel
