#include "app/FileChoice.h"

namespace vantrel {

std::wstring FileExtension(const std::wstring& path) {
    const size_t nameStart = path.find_last_of(L"\\/");
    const size_t from = nameStart == std::wstring::npos ? 0 : nameStart + 1;
    const size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || dot < from) return std::wstring();
    return path.substr(dot + 1);
}

std::wstring DirectoryOfChosenFile(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) return std::wstring();
    return path.substr(0, slash);
}

JobButton JobButtonForFile(const std::wstring& path) {
    const std::wstring extension = FileExtension(path);
    if (extension == L"ctl") return JobButton::Configure;
    if (extension == L"hex") return JobButton::Upgrade;
    return JobButton::Unchanged;
}

std::wstring OpenFileFilter(const std::wstring& barSeparated) {
    std::wstring filter = barSeparated;
    for (wchar_t& c : filter) {
        if (c == L'|') c = L'\0';
    }
    // The system reads entries up to an empty one: make sure the list ends in two NULs
    // even when the "|"-separated form lacked its closing bars.
    while (filter.size() < 2 || filter[filter.size() - 1] != L'\0' ||
           filter[filter.size() - 2] != L'\0') {
        filter.push_back(L'\0');
    }
    return filter;
}

}  // namespace vantrel
