#pragma once
// What the dialog derives from its executable's path.

#include <string>

namespace vantrel {

// The directory of the executable with its trailing backslash: `modulePath` cut
// after its last backslash (empty when it has none). The first open-file dialog
// starts there.
std::wstring ModuleDirectory(const std::wstring& modulePath);

// The application's title: the executable's file name without its extension
// ("C:\\Tools\\Vantrel.exe" gives "Vantrel").
std::wstring ApplicationTitle(const std::wstring& modulePath);

}  // namespace vantrel
