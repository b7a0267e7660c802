#pragma once
// The texts of --help and --version.

#include <string>

namespace vantrel::cli {

extern const wchar_t* const kVersionText;
std::wstring UsageText();

}  // namespace vantrel::cli
