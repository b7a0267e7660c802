#include "app/Station.h"

#include <chrono>
#include <condition_variable>
#include <set>
#include <thread>

#include "app/StepNarrator.h"
#include "app/WriterWhereabouts.h"
#include "common/Text.h"
#include "common/WindowSystem.h"
#include "link/ClaimingPlatform.h"
#include "link/SelectingPlatform.h"
#include "link/TracingPlatform.h"
#include "protocol/WriterIdentity.h"

namespace vantrel {

namespace {

// How often the station looks for writers plugged in, on its clock.
constexpr uint32_t kLookMs = 100;

// The device events of one job. Every job's pass, and the station's loop, first
// takes what the system has and hands it to every running job: a job that waits for
// its writer to come back never waits for another thread to deliver the event.
class JobEvents : public IDeviceEventSource {
public:
    explicit JobEvents(std::function<void()> pump) : m_pump(std::move(pump)) {}
    void Add(const std::vector<DeviceChange>& changes) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_changes.insert(m_changes.end(), changes.begin(), changes.end());
    }
    std::vector<DeviceChange> TakeEvents() override {
        m_pump();
        std::lock_guard<std::mutex> lock(m_mutex);
        return std::exchange(m_changes, {});
    }

private:
    const std::function<void()> m_pump;
    std::mutex m_mutex;
    std::vector<DeviceChange> m_changes;
};

// The file's name without its folder.
std::wstring BaseName(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"/\\");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

void Station::RestartWindow::Enter(const void* job) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [&] { return m_holder == nullptr || m_holder == job; });
    m_holder = job;
}

void Station::RestartWindow::Leave(const void* job) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_holder != job) return;
    m_holder = nullptr;
    m_changed.notify_all();
}

struct Station::Job {
    Job(IHidPlatform& base, const AttachedWriter& attached, IClock& jobClock, WriterClaims& claims,
        StationRowState initial, uint8_t mode, RowListener listener, std::function<void()> pump,
        std::unique_ptr<IDeviceEventSource> ownEvents,
        std::function<void(const WireCommand&)> onCommand)
        : writer(attached),
          place(WriterPlace(attached)),
          clock(jobClock),
          selecting(base, attached.location.empty() ? attached.path : attached.location, IsWriter),
          view(std::move(initial), mode, std::move(listener)),
          narrator(view,
                   [this, onCommand = std::move(onCommand)](const WireCommand& command) {
                       if (onCommand) onCommand(command);
                       whereabouts.Note(command);
                   }),
          tracing(selecting, TraceIdentity, nullptr, &narrator),
          claiming(tracing, claims),
          queue(std::move(pump)),
          own(std::move(ownEvents)),
          events(own ? *own : static_cast<IDeviceEventSource&>(queue), selecting) {}

    const AttachedWriter writer;
    const std::wstring place;
    IClock& clock;
    SelectingPlatform selecting;
    WriterWhereabouts whereabouts;
    StationRowView view;
    StepNarrator narrator;
    TracingPlatform tracing;
    ClaimingPlatform claiming;
    JobEvents queue;
    std::unique_ptr<IDeviceEventSource> own;
    SelectedDeviceEvents events;
    std::thread thread;
    std::atomic<bool> ended{false};
    bool reaped = false;
    StationJobResult result;
};

Station::Station(IClock& clock, IHidPlatform& platform, IDeviceEventSource& events,
                 WriterClaims& claims, StationSetup setup)
    : m_clock(clock),
      m_platform(platform),
      m_events(events),
      m_claims(claims),
      m_setup(std::move(setup)) {}

Station::~Station() {
    for (auto& job : m_jobs) {
        if (job->thread.joinable()) job->thread.join();
    }
}

void Station::StartJob(const AttachedWriter& writer) {
    StationRowState initial;
    initial.location = WriterPlace(writer);
    if (m_setup.request.kind == JobKind::Upgrade) initial.subject = BaseName(m_setup.request.file);
    IClock* jobClock = m_setup.clockOf ? m_setup.clockOf(initial.location) : nullptr;
    // Where the location is unknown, the writer is followed across its restarts by the
    // new interface that appears: only one writer at a time may be restarting, from
    // EnterLdrom until its boot loader is open, and from SystemReset until the job ends.
    const bool unlocated = m_setup.request.kind == JobKind::Upgrade && writer.location.empty();
    std::function<void(const WireCommand&)> onCommand;
    RowListener listener = m_setup.listener;
    // Which job the hooks speak for, set once the job exists.
    auto holder = std::make_shared<Job*>(nullptr);
    if (unlocated) {
        onCommand = [this, holder](const WireCommand& command) {
            if (command.name == nullptr || (std::string(command.name) != "EnterLdrom" &&
                                            std::string(command.name) != "SystemReset")) {
                return;
            }
            m_restartWindow.Enter(*holder);
            // While the job waited, other writers may have come and gone: it learns
            // every interface present now as another's, so that when its own writer
            // leaves, only the writer's own new interface is taken for it.
            std::vector<std::wstring> present;
            (*holder)->selecting.EnumerateInterfaces(present);
        };
        listener = [this, holder, inner = m_setup.listener](const std::wstring& place,
                                                            const std::wstring& text) {
            if (inner) inner(place, text);
            if (text == L"连接LDROM成功!") m_restartWindow.Leave(*holder);
        };
        if (!m_saidUnlocated && m_setup.notice) {
            m_setup.notice(
                L"the writers' USB locations are unknown here: one writer at a time restarts "
                L"into its boot loader or back, so that two restarting writers are not "
                L"mistaken for each other");
        }
        m_saidUnlocated = true;
    }
    auto job = std::make_unique<Job>(
        m_platform, writer, jobClock ? *jobClock : m_clock, m_claims, std::move(initial),
        m_setup.mode, std::move(listener), [this] { PumpEvents(); },
        m_setup.eventsOf ? m_setup.eventsOf(writer) : nullptr, std::move(onCommand));
    *holder = job.get();
    Job& started = *job;
    {
        std::lock_guard<std::mutex> lock(m_jobsMutex);
        m_jobs.push_back(std::move(job));
    }
    started.thread = std::thread([this, &started] { RunJob(started); });
}

void Station::RunJob(Job& job) {
    job.view.Begin(job.clock.GetTickCount());
    const uint32_t start = job.clock.GetTickCount();
    OrderedJson own = OrderedJson::array();
    auto say = [&](const std::wstring& text) {
        job.view.Say(text);
        own.push_back({{"where", "cli"}, {"text", ToUtf8(text)}});
    };
    job.claiming.BeginHold();
    JobOutcome outcome = JobOutcome::NoWriter;
    std::wstring why;
    OrderedJson texts = OrderedJson::array();
    if (ClaimWriterForJob(m_setup.claim, job.clock, m_claims, job.claiming, job.tracing, job.writer,
                          say)) {
        JobRun run(job.clock, job.claiming, job.events, job.view);
        run.Start();
        outcome = run.Run(m_setup.request);
        if (outcome == JobOutcome::NotBack) {
            why = L"the writer did not come back as its application within " +
                  std::to_wstring(kApplicationReturnMs / 1000) + L" s after the reset";
            say(why);
        }
        run.Stop();
        m_restartWindow.Leave(&job);  // back as the application, or ended without it
        job.result.icName = run.Recorder().LastControlText(kIdcIcName);
        job.result.checksumMoe = run.Recorder().LastControlText(kIdcFirstChecksum);
        job.result.checksumMemory = run.Recorder().LastControlText(kIdcSecondChecksum);
        texts = run.Recorder().Texts();
        if (outcome != JobOutcome::Succeeded && why.empty() && !run.WriterFound()) {
            why = L"the writer was not found";
        }
    }
    job.claiming.EndHold();
    texts.insert(texts.end(), own.begin(), own.end());
    const uint32_t end = job.clock.GetTickCount();
    job.view.End(end, outcome, why);
    job.result.row = job.view.State();
    job.result.writer = job.writer;
    job.result.texts = texts;
    job.result.milliseconds = end - start;
    job.ended = true;
}

size_t Station::Reap() {
    std::vector<Job*> ended;
    size_t running = 0;
    {
        std::lock_guard<std::mutex> lock(m_jobsMutex);
        for (auto& job : m_jobs) {
            if (job->reaped) continue;
            if (!job->ended) {
                ++running;
                continue;
            }
            job->reaped = true;
            ended.push_back(job.get());
        }
    }
    for (Job* job : ended) {
        job->thread.join();
        if (m_setup.finished) m_setup.finished(job->result);
    }
    return running;
}

void Station::PumpEvents() {
    if (m_setup.eventsOf) return;  // each job takes its own
    std::lock_guard<std::mutex> taking(m_eventsMutex);
    const std::vector<DeviceChange> changes = m_events.TakeEvents();
    if (changes.empty()) return;
    std::lock_guard<std::mutex> lock(m_jobsMutex);
    for (auto& job : m_jobs) {
        if (!job->ended) job->queue.Add(changes);
    }
}

size_t Station::Run(const std::function<void()>& turn) {
    // The places that got a job and have not been seen gone since: a writer gets
    // its job once per plug-in.
    std::set<std::wstring> served;
    size_t started = 0;
    uint32_t lastLook = m_clock.GetTickCount();
    uint32_t idleSince = lastLook;
    const uint32_t waitStart = lastLook;
    bool first = true;
    auto full = [&] { return m_setup.count != 0 && started >= m_setup.count; };
    for (;;) {
        PumpEvents();
        const uint32_t now = m_clock.GetTickCount();
        const bool looking = !m_stopping && !full() && (first || m_setup.watch || started == 0);
        if (looking && (first || now - lastLook >= kLookMs)) {
            lastLook = now;
            const std::vector<AttachedWriter> writers = ListWriters(m_platform, m_clock, false);
            std::set<std::wstring> present;
            for (const AttachedWriter& writer : writers) {
                const std::wstring place = WriterPlace(writer);
                if (!present.insert(place).second) continue;
                if (served.count(place) != 0) continue;
                if (full()) break;
                served.insert(place);
                StartJob(writer);
                ++started;
            }
            // A place no longer listed is free for its next plug-in, unless its job
            // still runs (an upgrade's restart leaves the bus for a moment).
            std::lock_guard<std::mutex> lock(m_jobsMutex);
            for (auto it = served.begin(); it != served.end();) {
                bool busy = false;
                for (auto& job : m_jobs) busy = busy || (!job->ended && job->place == *it);
                it = present.count(*it) == 0 && !busy ? served.erase(it) : std::next(it);
            }
        }
        first = false;
        // The jobs that ended are reported; the ones just started count as running.
        const size_t running = Reap();
        if (running > 0) idleSince = now;
        if (turn) turn();
        if (running == 0) {
            if (m_stopping || full()) break;
            if (!m_setup.watch && (started > 0 || now - waitStart >= m_setup.waitMs)) break;
            if (m_setup.watch && m_setup.idleSeconds != 0 &&
                now - idleSince >= m_setup.idleSeconds * 1000) {
                break;
            }
        }
        // A pause on the station's clock (in virtual time it moves the time on which
        // writers are plugged in), and a real one, so that the loop never spins.
        m_clock.Sleep(running > 0 ? 1 : 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    Reap();
    return started;
}

std::vector<StationRowState> Station::Rows() {
    std::lock_guard<std::mutex> lock(m_jobsMutex);
    std::vector<StationRowState> rows;
    for (auto& job : m_jobs) rows.push_back(job->view.State());
    return rows;
}

std::vector<std::string> Station::WhereRunningWritersAre() {
    std::lock_guard<std::mutex> lock(m_jobsMutex);
    std::vector<std::string> lines;
    for (auto& job : m_jobs) {
        if (job->ended) continue;
        char text[256];
        job->whereabouts.Describe(text, sizeof text);
        lines.push_back(ToUtf8(job->place) + ": " + text);
    }
    return lines;
}

}  // namespace vantrel
