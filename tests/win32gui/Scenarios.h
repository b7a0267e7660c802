#pragma once
// The operator's sessions with the dialog tool that the driver plays through.

#include <string>

#include "tests/win32gui/Report.h"
#include "tests/win32gui/Samples.h"

namespace gui {

struct Setup {
    std::wstring simulatedTool;  // VantrelSim.exe
    std::wstring realTool;       // Vantrel.exe (the system's HID backend)
    std::wstring screenshots;    // folder for the .bmp screenshots
    Samples samples;
};

// VantrelSim.exe: start-up, Enter, a configuration with the programming-mode
// question, a firmware upgrade, the About box and "退出".
void RunSimulatedWriterSession(const Setup& setup, Report& report);

// Vantrel.exe with no writer attached: "writer unconnect", refusals, cancelling the
// open-file dialog, and the close box.
void RunNoWriterSession(const Setup& setup, Report& report);

// An installed Vantrel.exe (its full path): the start-up state without a writer,
// and a normal end through the close box.
void RunStartUpSession(const std::wstring& tool, Report& report);

// Vantrel.exe with a writer attached: start-up, a configuration with the
// programming-mode question, a firmware upgrade, a screenshot and "退出".
void RunRealWriterSession(const Setup& setup, Report& report);

// Vantrel.exe ended with the Esc key.
void RunEscapeSession(const Setup& setup, Report& report);

}  // namespace gui
