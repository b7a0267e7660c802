#pragma once
// The window system as the portable core knows it: the 32-bit BOOL of the dialog's
// flags and the window-system constants that it passes through its view.

#include <cstdint>

using BOOL = int;
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

namespace vantrel {

// Message-box styles (the values of the Windows MB_* flags).
constexpr unsigned kMbOk = 0x00000000;
constexpr unsigned kMbIconExclamation = 0x00000030;  // also the warning icon
constexpr unsigned kMbSystemModal = 0x00001000;

// Status-bar panes.
constexpr int kPaneLabel = 0;       // "状态"
constexpr int kPaneConnection = 1;  // "writer connect" / "boot connect" / "writer unconnect"
constexpr int kPaneError = 2;       // refusals, errors and the upgrade's step texts
constexpr int kPaneActivity = 3;    // what the configuration job is doing

// Controls of the main dialog that the jobs write.
constexpr int kIdcFirstChecksum = 1018;   // next to "M+O+E："
constexpr int kIdcSecondChecksum = 1019;  // next to "MEMORY："
constexpr int kIdcIcName = 1024;          // next to "IC:"

// Device-change notification values (the Windows DBT_* constants).
constexpr uint32_t kDbtDeviceArrival = 0x8000;
constexpr uint32_t kDbtDeviceRemoveComplete = 0x8004;
constexpr uint32_t kDbtDevtypDeviceInterface = 5;

}  // namespace vantrel
