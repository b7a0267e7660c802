#include "app/StepNarrator.h"

#include <cstring>

#include "common/Text.h"
#include "upgrade/FirmwareImage.h"

namespace vantrel {

namespace {

struct StepDetail {
    const char* name;
    const wchar_t* detail;
};

constexpr StepDetail kDetails[] = {
    {"QueryWriterLevel", L"ask the writer for its level"},
    {"EnterLdrom", L"restart the writer into its boot loader"},
    {"QueryBootLoader", L"ask whether the boot loader runs"},
    {"EraseApromPage", L"erase the 136 APROM pages"},
    {"ProgramApromPage", L"program and verify the 136 APROM pages"},
    {"SystemReset", L"restart the writer into its application"},
};

const wchar_t* DetailOf(const std::string& name) {
    for (const StepDetail& d : kDetails) {
        if (name == d.name) return d.detail;
    }
    return L"";
}

}  // namespace

void StepNarrator::Writing(uint16_t version, const uint8_t* data, size_t count) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const WireCommand command = m_steps.Decode(version, data, count);
    if (command.name == nullptr) return;
    if (m_onCommand) m_onCommand(command);
    // Programming a page and reading its checksum back are one step.
    std::string step = command.name;
    if (step == "ReadApromChecksum") step = "ProgramApromPage";
    if (step == "QueryWriterLevel") m_levelQueried = true;
    const std::wstring name = FromUtf8(step);
    if (step != m_lastStep || command.page < 0) m_view.StepStarted(name, DetailOf(step));
    m_lastStep = step;
    if (command.page >= 0) {
        // The page within the bar's label, which must stay short.
        const wchar_t* what = step == "EraseApromPage" ? L"erase " : L"program ";
        m_view.SetLabel(what + std::to_wstring(command.page + 1) + L"/" +
                        std::to_wstring(kPageCount));
    }
}

void StepNarrator::Received(uint16_t, const uint8_t* data, size_t count) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_steps.Reply(data, count);
}

void StepNarrator::Closed() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_steps.Closed();
}

bool StepNarrator::LevelQueried() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_levelQueried;
}

}  // namespace vantrel
