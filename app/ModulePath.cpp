#include "app/ModulePath.h"

namespace vantrel {

std::wstring ModuleDirectory(const std::wstring& modulePath) {
    const size_t slash = modulePath.rfind(L'\\');
    if (slash == std::wstring::npos) return std::wstring();
    return modulePath.substr(0, slash + 1);
}

std::wstring ApplicationTitle(const std::wstring& modulePath) {
    const size_t slash = modulePath.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? modulePath : modulePath.substr(slash + 1);
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0) name.erase(dot);
    return name;
}

}  // namespace vantrel
