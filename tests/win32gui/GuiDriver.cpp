// vantrel_gui_driver.exe: plays the operator of the dialog tool under Wine (or
// Windows) and checks everything the dialog shows.
//
// Usage: vantrel_gui_driver.exe BIN_DIR WORK_DIR SCREENSHOT_DIR
//   BIN_DIR         folder with VantrelSim.exe and (when built) Vantrel.exe
//   WORK_DIR        an empty scratch folder; the tools and the sample files are put
//                   into folders with Chinese names inside it
//   SCREENSHOT_DIR  where the .bmp screenshots go
//        vantrel_gui_driver.exe --real-writer BIN_DIR WORK_DIR SCREENSHOT_DIR
//   only Vantrel.exe, with a writer attached (a real one, or the simulated writer
//   behind a USB gadget): one configuration and one upgrade; the sample files
//   stay in WORK_DIR
//        vantrel_gui_driver.exe --start-up TOOL
//   only starts TOOL (an installed Vantrel.exe), checks its start-up state and
//   closes it
// Exit status: 0 when every check passed, 1 otherwise, 2 for a usage error.

#include <windows.h>

#include <string>

#include "tests/win32gui/Probe.h"
#include "tests/win32gui/Report.h"
#include "tests/win32gui/Samples.h"
#include "tests/win32gui/Scenarios.h"

namespace {

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Copies `name` from `from` into `to`; the copy's path, or empty when there is none.
std::wstring Install(const std::wstring& from, const std::wstring& to, const std::wstring& name) {
    const std::wstring source = from + L"\\" + name;
    const std::wstring target = to + L"\\" + name;
    if (!Exists(source) || !::CopyFileW(source.c_str(), target.c_str(), FALSE)) return L"";
    return target;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wstring(argv[1]) == L"--start-up") {
        gui::Report report;
        gui::RunStartUpSession(argv[2], report);
        return report.Failures() == 0 ? 0 : 1;
    }
    const bool realWriter = argc == 5 && std::wstring(argv[1]) == L"--real-writer";
    if (realWriter) {
        --argc;
        ++argv;
    }
    if (argc != 4) {
        gui::Say(
            L"usage: vantrel_gui_driver.exe BIN_DIR WORK_DIR SCREENSHOT_DIR\n"
            L"       vantrel_gui_driver.exe --real-writer BIN_DIR WORK_DIR SCREENSHOT_DIR\n"
            L"       vantrel_gui_driver.exe --start-up TOOL");
        return 2;
    }
    const std::wstring binDir = argv[1];
    const std::wstring workDir = argv[2];
    gui::Report report;
    gui::Setup setup;
    setup.screenshots = argv[3];

    // The tools run from a folder with a Chinese name, where the first open-file
    // dialog starts, and the samples lie in another one.
    const std::wstring toolDir = workDir + L"\\烧录工具";
    const std::wstring sampleDir = workDir + L"\\样本 文件";
    ::CreateDirectoryW(toolDir.c_str(), nullptr);
    ::CreateDirectoryW(sampleDir.c_str(), nullptr);
    ::CreateDirectoryW(setup.screenshots.c_str(), nullptr);
    setup.simulatedTool = realWriter ? L"" : Install(binDir, toolDir, L"VantrelSim.exe");
    setup.realTool = Install(binDir, toolDir, L"Vantrel.exe");
    const std::wstring& needed = realWriter ? setup.realTool : setup.simulatedTool;
    if (!report.Expect(!needed.empty(), L"the tool installed in " + toolDir) ||
        !report.Expect(gui::WriteSamples(sampleDir, setup.samples),
                       L"sample files written to " + sampleDir))
        return 1;

    if (realWriter) {
        // Emulated USB under Wine: an upgrade takes minutes, a restart many seconds.
        gui::SetPatience(10);
        gui::RunRealWriterSession(setup, report);
    } else {
        gui::RunSimulatedWriterSession(setup, report);
        if (setup.realTool.empty()) {
            gui::Say(L"== Vantrel.exe is not built: its sessions are skipped");
        } else {
            gui::RunNoWriterSession(setup, report);
            gui::RunEscapeSession(setup, report);
        }
    }

    gui::Say(report.Failures() == 0
                 ? std::wstring(L"== all checks passed")
                 : L"== " + std::to_wstring(report.Failures()) + L" check(s) failed");
    return report.Failures() == 0 ? 0 : 1;
}
