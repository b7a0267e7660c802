#pragma once
// The rules of the source-file choice ("..."): which job a chosen file is for,
// where the next open-file dialog starts, and the open-file dialog's filter.

#include <string>

namespace vantrel {

// The text after the last period of the file-name part of `path` (after its last
// backslash or slash), without the period; empty when the file name has no period.
std::wstring FileExtension(const std::wstring& path);

// The part of `path` before its last backslash, without the backslash; empty when
// the path holds no backslash. The next open-file dialog starts there.
std::wstring DirectoryOfChosenFile(const std::wstring& path);

// Which job button a chosen file enables. The extension is compared exactly,
// case-sensitively: "ctl" configures, "hex" upgrades, anything else changes nothing.
enum class JobButton { Unchanged, Configure, Upgrade };
JobButton JobButtonForFile(const std::wstring& path);

// The open-file dialog's filter as the system wants it: the entries of a
// "|"-separated list ("Data Files (*.ctl)|*.ctl|(*.hex)|*.hex||") with every "|"
// turned into a NUL, so the result ends in two NULs.
std::wstring OpenFileFilter(const std::wstring& barSeparated);

// The filter of the source-file dialog, in its "|"-separated form.
inline constexpr wchar_t kSourceFileFilter[] = L"Data Files (*.ctl)|*.ctl|(*.hex)|*.hex||";

}  // namespace vantrel
