#pragma once
// What the driver prints, and the count of the differences it found.

#include <string>

namespace gui {

// One line of the driver's log (UTF-8 on standard output).
void Say(const std::wstring& line);

class Report {
public:
    // Records a failure when `condition` is false.
    bool Expect(bool condition, const std::wstring& what);
    // Records a failure when the texts differ, with both texts.
    bool ExpectText(const std::wstring& actual, const std::wstring& expected,
                    const std::wstring& what);
    void Fail(const std::wstring& what);
    int Failures() const { return m_failures; }

private:
    int m_failures = 0;
};

}  // namespace gui
