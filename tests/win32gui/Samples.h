#pragma once
// The sample files that the dialog test chooses: a control file for an IC type
// that asks for the programming mode, and a sealed firmware file.

#include <string>

namespace gui {

struct Samples {
    std::wstring controlFile;   // <folder>\样本配置.ctl
    std::wstring firmwareFile;  // <folder>\固件 1.2.hex

    // What the dialog shows after configuring from the control file.
    std::wstring icName;
    std::wstring firstChecksum;   // control 1018
    std::wstring secondChecksum;  // control 1019
};

// Writes both files into `folder` (which must exist). false when a file could not
// be written.
bool WriteSamples(const std::wstring& folder, Samples& samples);

}  // namespace gui
