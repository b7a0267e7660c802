#include "tests/win32gui/Report.h"

#include <cstdio>

#include "common/Text.h"

namespace gui {

void Say(const std::wstring& line) {
    const std::string text = vantrel::ToUtf8(line) + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

bool Report::Expect(bool condition, const std::wstring& what) {
    if (condition) {
        Say(L"  ok   " + what);
    } else {
        Fail(what);
    }
    return condition;
}

bool Report::ExpectText(const std::wstring& actual, const std::wstring& expected,
                        const std::wstring& what) {
    if (actual == expected) {
        Say(L"  ok   " + what + L": \"" + actual + L"\"");
        return true;
    }
    Fail(what + L": expected \"" + expected + L"\", got \"" + actual + L"\"");
    return false;
}

void Report::Fail(const std::wstring& what) {
    ++m_failures;
    Say(L"  FAIL " + what);
}

}  // namespace gui
