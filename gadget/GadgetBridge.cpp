#include "gadget/GadgetBridge.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "common/OutputFile.h"
#include "common/Text.h"

namespace vantrel::gadget {

namespace {

constexpr uint16_t kApplicationVersion = 0x0100;
constexpr uint16_t kBootLoaderVersion = 0x8888;
constexpr size_t kReportBytes = 64;
// How long a reply waits for the host to take the one before it; a host that
// polls no more (the tool closed the node) gets no further replies.
constexpr int kReplyWaitMs = 1000;
// How long the firmware may stay off the bus before it arrives in its other mode.
constexpr auto kArrivalWait = std::chrono::seconds(5);

const char* ModeName(sim::SimMode mode) {
    switch (mode) {
        case sim::SimMode::Application:
            return "application (bcdDevice 0x0100)";
        case sim::SimMode::BootLoader:
            return "boot loader (bcdDevice 0x8888)";
        case sim::SimMode::Absent:
            break;
    }
    return "absent";
}

const std::wstring& PathOf(sim::SimMode mode) {
    return mode == sim::SimMode::BootLoader ? sim::SimWriter::BootLoaderPath()
                                            : sim::SimWriter::ApplicationPath();
}

}  // namespace

GadgetBridge::GadgetBridge(sim::SimWriter& writer, ConfigfsGadget& gadget, BridgeSettings settings)
    : m_writer(writer), m_gadget(gadget), m_settings(std::move(settings)) {}

GadgetBridge::~GadgetBridge() { Detach(); }

void GadgetBridge::Say(const std::string& text) const {
    std::fprintf(stderr, "vantrel-gadget: %s\n", text.c_str());
}

bool GadgetBridge::Start() {
    const sim::SimMode mode = m_writer.Mode();
    if (!m_gadget.Create(mode == sim::SimMode::BootLoader ? kBootLoaderVersion
                                                          : kApplicationVersion)) {
        Say(m_gadget.Error());
        return false;
    }
    if (!Attach()) return false;
    Say("gadget on " + m_gadget.Controller() + ", " + m_gadget.ReportNode() + ": " +
        ModeName(mode));
    return true;
}

bool GadgetBridge::Attach() {
    const sim::SimMode mode = m_writer.Mode();
    const bool ok = m_gadget.SetBcdDevice(mode == sim::SimMode::BootLoader ? kBootLoaderVersion
                                                                           : kApplicationVersion) &&
                    m_gadget.Bind();
    if (!ok) {
        Say(m_gadget.Error());
        return false;
    }
    m_node = ::open(m_gadget.ReportNode().c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (m_node < 0) {
        Say("cannot open " + m_gadget.ReportNode() + ": " + std::strerror(errno));
        return false;
    }
    IHidPlatform& platform = m_writer.Platform();
    m_simRead = platform.OpenForRead(PathOf(mode));
    m_simWrite = platform.OpenForWrite(PathOf(mode));
    m_attachedMode = mode;
    return true;
}

void GadgetBridge::Detach() {
    IHidPlatform& platform = m_writer.Platform();
    for (HidHandle* handle : {&m_simRead, &m_simWrite}) {
        if (*handle != kInvalidHidHandle) platform.Close(*handle);
        *handle = kInvalidHidHandle;
    }
    if (m_node >= 0) ::close(m_node);
    m_node = -1;
    if (!m_gadget.Unbind()) Say(m_gadget.Error());
    m_attachedMode = sim::SimMode::Absent;
}

void GadgetBridge::SendReply(const uint8_t* reply) {
    pollfd entry{m_node, POLLOUT, 0};
    if (::poll(&entry, 1, kReplyWaitMs) <= 0 || ::write(m_node, reply, kReportBytes) < 0) {
        Say("an input report was dropped: the host does not take input reports");
    }
}

void GadgetBridge::Forward(const uint8_t* report, size_t length) {
    // The firmware takes what the tool writes: report id 0, then 64 bytes.
    uint8_t wire[kReportBytes + 1] = {};
    std::memcpy(wire + 1, report, std::min(length, kReportBytes));
    IHidPlatform& platform = m_writer.Platform();
    uint32_t transferred = 0;
    platform.Write(m_simWrite, wire, sizeof wire, 0, transferred);
    for (;;) {
        uint8_t reply[kReportBytes + 1];
        if (platform.Read(m_simRead, reply, sizeof reply, 0, transferred) != HidIo::Completed ||
            transferred != sizeof reply) {
            break;
        }
        SendReply(reply + 1);
    }
}

void GadgetBridge::CheckUnplugTrigger() {
    const std::vector<sim::RecordedCommand> record = m_writer.RecordedCommands();
    for (; m_recordSeen < record.size(); ++m_recordSeen) {
        const std::string& name = record[m_recordSeen].name;
        if (m_settings.verbose) Say("received " + name);
        if (!m_settings.unplugAfter.empty() && name == m_settings.unplugAfter &&
            ++m_unplugCount == m_settings.unplugOccurrence) {
            Say("unplugging the writer after " + name + " #" + std::to_string(m_unplugCount));
            m_unpluggedMode = m_writer.Mode();
            m_writer.Unplug();
            m_unplugged = true;
        }
    }
}

bool GadgetBridge::SaveAprom() {
    if (m_settings.apromOut.empty()) return true;
    std::wstring problem;
    if (WriteOutputFile(FromNativeBytes(m_settings.apromOut), m_writer.Aprom(), m_settings.inputs,
                        problem))
        return true;
    Say("cannot write " + m_settings.apromOut + ": " + ToUtf8(problem));
    return false;
}

bool GadgetBridge::Run(const std::atomic<bool>& stop, std::atomic<bool>& toggle) {
    while (!stop) {
        if (toggle.exchange(false)) {
            if (m_unplugged) {
                m_writer.PlugIn(m_unpluggedMode);
                m_unplugged = false;
                Say("plugged in again");
            } else {
                m_unpluggedMode = m_writer.Mode();
                m_writer.Unplug();
                m_unplugged = true;
                Say("unplugged");
            }
        }
        const sim::SimMode mode = m_writer.Mode();
        if (mode != m_attachedMode) {
            // The firmware left the bus (or was unplugged): so does the gadget.
            if (m_attachedMode != sim::SimMode::Absent) Detach();
            if (mode == sim::SimMode::Absent && !m_unplugged) {
                // EnterLdrom or SystemReset: the other mode arrives shortly.
                const auto deadline = std::chrono::steady_clock::now() + kArrivalWait;
                while (m_writer.Mode() == sim::SimMode::Absent && !stop &&
                       std::chrono::steady_clock::now() < deadline) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                }
                continue;
            }
            if (mode != sim::SimMode::Absent) {
                if (!Attach()) return false;
                Say("re-enumerated as " + std::string(ModeName(mode)));
                if (mode == sim::SimMode::Application) SaveAprom();
            }
        }
        if (m_node < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            continue;
        }
        pollfd entry{m_node, POLLIN, 0};
        const int ready = ::poll(&entry, 1, 100);
        if (ready < 0 && errno != EINTR) {
            Say(std::string("poll: ") + std::strerror(errno));
            return false;
        }
        if (ready <= 0) continue;
        uint8_t report[kReportBytes];
        const ssize_t got = ::read(m_node, report, sizeof report);
        if (got <= 0) continue;
        Forward(report, static_cast<size_t>(got));
        CheckUnplugTrigger();
    }
    return true;
}

}  // namespace vantrel::gadget
