#pragma once
// CIOModel: the programming-mode question (template 130). Shown modally from the
// worker thread during a configuration; after it has closed, m_nMode holds the
// answer: 1 six-wire ("六线模式"), 2 five-wire ("五线模式").

#include <cstdint>

#include "app/win32/DialogLite.h"

class CIOModel : public CDialogLite {
public:
    CIOModel();

    static constexpr uint8_t kSixWire = 1;
    static constexpr uint8_t kFiveWire = 2;

    CButtonLite m_radioSixWire;
    CButtonLite m_radioFiveWire;
    uint8_t m_nMode = kSixWire;
    CToolTipLite m_toolTip;
    // The main dialog, which the question opens over; set before the worker starts.
    HWND m_hMainDialog = nullptr;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnSixWire();
    void OnFiveWire();
    bool OnDestroy(WPARAM, LPARAM, LRESULT&);
};
