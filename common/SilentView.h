#pragma once
// A view that shows nothing and answers the programming-mode question with
// six-wire: for decoding without a window (benchmarks, fuzz targets).

#include "common/View.h"

namespace vantrel {

class SilentView : public IView {
public:
    void SetPaneText(int, const std::wstring&) override {}
    void SetProgress(int) override {}
    void SetControlText(int, const std::wstring&) override {}
    void ShowMessage(const std::wstring&, const std::wstring&, unsigned) override {}
    uint8_t AskProgramMode() override { return 1; }
};

}  // namespace vantrel
