#include "tests/win32gui/Scenarios.h"

#include <windows.h>
// windows.h first: the common-control and tool-help headers rely on its types.
#include <commctrl.h>

#include "tests/win32gui/Probe.h"
#include "tests/win32gui/Screenshot.h"
#include "tests/win32gui/Session.h"

namespace gui {
namespace {

// Controls of the main dialog.
constexpr int kBrowse = 1000;
constexpr int kConfigure = 1002;
constexpr int kFilePath = 1009;
constexpr int kFirstChecksum = 1018;
constexpr int kSecondChecksum = 1019;
constexpr int kIcName = 1024;
constexpr int kUpgrade = 1027;
constexpr int kSixWire = 1020;
constexpr int kFiveWire = 1021;

constexpr DWORD kBoxTimeoutMs = 20000;
constexpr DWORD kJobTimeoutMs = 90000;
constexpr DWORD kExitTimeoutMs = 10000;

void Step(const std::wstring& title) { Say(L"-- " + title); }

void Shot(Report& report, const Setup& setup, HWND window, const std::wstring& name) {
    const std::wstring path = setup.screenshots + L"\\" + name + L".bmp";
    report.Expect(SaveWindowShot(window, path), L"screenshot " + name + L".bmp");
}

// The About entry closes the system menu, after a separator.
void CheckSystemMenu(Session& tool, Report& report) {
    HMENU menu = ::GetSystemMenu(tool.Main(), FALSE);
    const int count = menu ? ::GetMenuItemCount(menu) : -1;
    if (count < 2) {
        Say(L"  (the system menu of another process cannot be read here)");
        return;
    }
    wchar_t text[128] = {};
    ::GetMenuStringW(menu, count - 1, text, 128, MF_BYPOSITION);
    report.ExpectText(text, L"关于 Vantrel(&A)...", L"last system-menu entry");
    report.Expect(::GetMenuItemID(menu, count - 1) == 16, L"its command is 16");
    report.Expect((::GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR) != 0,
                  L"a separator before it");
}

// Right after start-up: nothing chosen, both jobs disabled, nothing shown.
void CheckStartState(Session& tool, Report& report, const std::wstring& connection) {
    report.ExpectText(WindowText(tool.Main()), kMainTitle, L"caption");
    report.Expect(!tool.Enabled(kConfigure), L"\"配置烧录器\" disabled");
    report.Expect(!tool.Enabled(kUpgrade), L"\"升级固件\" disabled");
    report.Expect(tool.Enabled(kBrowse), L"\"...\" enabled");
    report.ExpectText(tool.Text(kFilePath), L"", L"file field");
    report.Expect(tool.Progress() == 0, L"progress 0");
    report.ExpectText(tool.Pane(0), L"状态", L"pane 0");
    report.ExpectText(tool.Pane(1), connection, L"pane 1");
    report.ExpectText(tool.Pane(2), L"", L"pane 2");
    report.ExpectText(tool.Pane(3), L"", L"pane 3");
    report.ExpectText(tool.Text(kIcName), L"", L"IC name");
    report.ExpectText(tool.Text(kFirstChecksum), L"", L"M+O+E checksum");
    report.ExpectText(tool.Text(kSecondChecksum), L"", L"MEMORY checksum");
    report.ExpectText(tool.Text(IDCANCEL), L"退出", L"exit button");
    report.Expect(!::IsWindowVisible(tool.Item(IDOK)) && !tool.Enabled(IDOK),
                  L"the OK button hidden and disabled");
    CheckSystemMenu(tool, report);
    report.Expect(CentredOver(tool.Main(), nullptr), L"the main dialog centred on the screen");
}

// The path field shows the chosen file and cannot be edited, but its text can be
// selected and copied.
void CheckPathField(Session& tool, Report& report, const std::wstring& path) {
    HWND field = tool.Item(kFilePath);
    report.Expect(
        (::GetWindowLongW(field, GWL_STYLE) & ES_READONLY) != 0 && tool.Enabled(kFilePath),
        L"file field read-only and enabled");
    Query(field, WM_CHAR, L'x', 1);
    report.ExpectText(tool.Text(kFilePath), path, L"file field after typing into it");
    Query(field, EM_SETSEL, 0, -1);
    Query(field, WM_COPY);
    report.ExpectText(ClipboardText(), path, L"the path copied from the file field");
}

void CheckEnterKeepsDialog(Session& tool, Report& report) {
    PressKey(tool.Item(kFilePath), VK_RETURN);
    Query(tool.Main(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
    ::Sleep(500);
    report.Expect(tool.Process().IsRunning() && ::IsWindowVisible(tool.Main()),
                  L"Enter leaves the dialog open");
}

void CheckAboutBox(Session& tool, Report& report, const Setup& setup) {
    ::PostMessageW(tool.Main(), WM_SYSCOMMAND, 16, 0);
    HWND about = tool.WaitForDialog(L"关于 Vantrel", kBoxTimeoutMs);
    if (!report.Expect(about != nullptr, L"the About box opens from the system menu")) return;
    report.Expect(CentredOver(about, tool.Main()), L"the About box centred over the main dialog");
    report.Expect(FindDescendant(about, L"Static", L"Vantrel，1.1.0.0") != nullptr,
                  L"About text \"Vantrel，1.1.0.0\"");
    report.ExpectText(WindowText(::GetDlgItem(about, IDOK)), L"确定", L"About button");
    Shot(report, setup, about, L"about");
    Click(::GetDlgItem(about, IDOK));
    report.Expect(WaitFor([&] { return !::IsWindow(about); }, kBoxTimeoutMs),
                  L"\"确定\" closes the About box");
}

void CheckNormalEnd(Session& tool, Report& report, const std::wstring& how) {
    const ExitOutcome outcome = tool.WaitForEnd(kExitTimeoutMs);
    if (!report.Expect(outcome.ended, how + L" ends the tool")) return;
    report.Expect(outcome.exitCode == 0,
                  L"exit code 0 (got " + std::to_wstring(outcome.exitCode) + L")");
    report.Expect(outcome.workerEndedItself,
                  L"the worker ended by itself: a normal end, not a self-termination");
}

// The programming-mode question: six-wire preset, hints, then "五线模式" and "确定".
void AnswerFiveWire(Session& tool, Report& report, const Setup& setup) {
    HWND mode = tool.WaitForDialog(L"Dialog", kBoxTimeoutMs);
    if (!report.Expect(mode != nullptr, L"the programming-mode dialog opens")) {
        tool.DumpWindows();
        return;
    }
    HWND six = ::GetDlgItem(mode, kSixWire);
    HWND five = ::GetDlgItem(mode, kFiveWire);
    report.ExpectText(WindowText(six), L"六线模式", L"radio 1020");
    report.ExpectText(WindowText(five), L"五线模式", L"radio 1021");
    report.Expect(FindDescendant(mode, L"Button", L"烧录模式") != nullptr, L"group \"烧录模式\"");
    report.Expect(Query(six, BM_GETCHECK) == BST_CHECKED, L"six-wire preset");
    report.Expect(Query(five, BM_GETCHECK) == BST_UNCHECKED, L"five-wire clear");

    // Centred over the main dialog, and still above it after a click on the main
    // dialog beside it.
    report.Expect(CentredOver(mode, tool.Main()), L"the question centred over the main dialog");
    report.Expect((::GetWindowLongW(mode, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0,
                  L"the question is topmost");
    RECT main, question;
    ::GetWindowRect(tool.Main(), &main);
    ::GetWindowRect(mode, &question);
    POINT beside{main.right - 12, (main.top + main.bottom) / 2};
    if (::PtInRect(&question, beside)) beside.x = main.left + 12;
    ClickAt(beside.x, beside.y);
    if (!WaitFor([&] { return ::GetForegroundWindow() == tool.Main(); }, 3000))
        Say(L"  (the click did not make the main dialog the foreground window)");
    report.Expect(::IsWindowVisible(mode) && IsAbove(mode, tool.Main()),
                  L"the question stays above the main dialog after a click on it");

    // The tooltip is a top-level window of the thread that shows the dialog.
    HWND toolTip = nullptr;
    ::EnumThreadWindows(
        ::GetWindowThreadProcessId(mode, nullptr),
        [](HWND window, LPARAM param) -> BOOL {
            if (ClassName(window) == TOOLTIPS_CLASSW) {
                *reinterpret_cast<HWND*>(param) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&toolTip));
    if (report.Expect(toolTip != nullptr, L"the dialog has a tooltip control")) {
        report.Expect(Query(toolTip, TTM_GETTOOLCOUNT) == 2, L"two tools");
        report.Expect(Query(toolTip, TTM_GETDELAYTIME, TTDT_INITIAL) == 500,
                      L"tooltip delay 500 ms");
        report.ExpectText(tool.Process().ToolTipText(toolTip, mode, six),
                          L"推荐设置，使用IC:BUSY控制，烧录时间短", L"six-wire hint");
        report.ExpectText(tool.Process().ToolTipText(toolTip, mode, five),
                          L"非常规设置，不使用IC:BUSY控制，烧录时间长", L"five-wire hint");
    }
    Shot(report, setup, mode, L"programming-mode");

    Click(five);
    report.Expect(WaitFor(
                      [&] {
                          return Query(five, BM_GETCHECK) == BST_CHECKED &&
                                 Query(six, BM_GETCHECK) == BST_UNCHECKED;
                      },
                      5000),
                  L"\"五线模式\" selected, \"六线模式\" cleared");
    Click(::GetDlgItem(mode, IDOK));
    report.Expect(WaitFor([&] { return !::IsWindow(mode); }, kBoxTimeoutMs),
                  L"\"确定\" closes the programming-mode dialog");
}

void Configure(Session& tool, Report& report, const Setup& setup) {
    Step(L"choose the control file");
    if (!tool.ChooseFile(setup.samples.controlFile)) return;
    report.ExpectText(tool.Text(kFilePath), setup.samples.controlFile, L"file field");
    report.Expect(tool.Enabled(kConfigure), L"\"配置烧录器\" enabled");
    report.Expect(!tool.Enabled(kUpgrade), L"\"升级固件\" disabled");
    CheckPathField(tool, report, setup.samples.controlFile);

    Step(L"configure the writer");
    Click(tool.Item(kConfigure));
    AnswerFiveWire(tool, report, setup);

    HWND box = tool.WaitForDialog(L"Message", kJobTimeoutMs);
    if (!report.Expect(box != nullptr, L"a \"Message\" box reports the outcome")) {
        tool.DumpWindows();
        return;
    }
    Say(L"  message box: \"" + Session::MessageText(box) + L"\"");
    report.Expect(Session::MessageText(box) != L"烧录器配置失败！", L"not the failure box");
    report.ExpectText(tool.Pane(3), L"配置成功", L"pane 3 while the box is open");
    tool.CloseMessageBox(box);

    tool.WaitForText(kFirstChecksum, setup.samples.firstChecksum, kBoxTimeoutMs);
    tool.WaitForText(kSecondChecksum, setup.samples.secondChecksum, kBoxTimeoutMs);
    report.ExpectText(tool.Text(kIcName), setup.samples.icName, L"IC name");
    report.Expect(tool.Progress() == 100, L"progress 100");
    report.ExpectText(tool.Pane(2), L"", L"pane 2");
    report.ExpectText(tool.Pane(1), L"writer connect", L"pane 1");
    Shot(report, setup, tool.Main(), L"main-after-configuration");
}

void Upgrade(Session& tool, Report& report, const Setup& setup) {
    Step(L"choose the firmware file");
    if (!tool.ChooseFile(setup.samples.firmwareFile)) return;
    report.ExpectText(tool.Text(kFilePath), setup.samples.firmwareFile, L"file field");
    report.Expect(!tool.Enabled(kConfigure), L"\"配置烧录器\" disabled");
    report.Expect(tool.Enabled(kUpgrade), L"\"升级固件\" enabled");
    report.ExpectText(tool.Text(kFirstChecksum), L"", L"M+O+E checksum cleared");
    report.ExpectText(tool.Text(kSecondChecksum), L"", L"MEMORY checksum cleared");

    Step(L"upgrade the writer's firmware");
    Click(tool.Item(kUpgrade));
    HWND warning = tool.WaitForDialog(L"警告", kBoxTimeoutMs);
    if (!report.Expect(warning != nullptr, L"the warning box opens")) {
        tool.DumpWindows();
        return;
    }
    report.ExpectText(Session::MessageText(warning), L"固件更新，不要断开usb连接！", L"warning");
    tool.CloseMessageBox(warning);

    // Any "Message" box during the upgrade is a failure of the job.
    bool shotTaken = false;
    bool done = WaitFor(
        [&] {
            if (HWND box = tool.WaitForDialog(L"Message", 0)) {
                report.Fail(L"unexpected message box \"" + Session::MessageText(box) + L"\"");
                tool.CloseMessageBox(box);
            }
            // One picture while the pages are programmed (the bar starts again from 0
            // after the erase, so a high position right after the text is the erase's).
            const int progress = tool.Progress();
            if (!shotTaken && progress >= 40 && progress <= 60 && tool.Pane(2) == L"APROM烧录...") {
                Shot(report, setup, tool.Main(), L"upgrade-in-progress");
                shotTaken = true;
            }
            return tool.Pane(2) == L"系统复位完成!";
        },
        kJobTimeoutMs);
    report.ExpectText(tool.Pane(2), L"系统复位完成!", L"pane 2 after the upgrade");
    // The progress bar follows the last text.
    if (done) report.Expect(WaitFor([&] { return tool.Progress() == 100; }, 5000), L"progress 100");
    tool.WaitForPane(1, L"writer connect", kBoxTimeoutMs);
    const std::wstring intermediate = setup.samples.firmwareFile + L".hex";
    report.Expect(::GetFileAttributesW(intermediate.c_str()) == INVALID_FILE_ATTRIBUTES,
                  L"the intermediate file is gone");
}

}  // namespace

void RunSimulatedWriterSession(const Setup& setup, Report& report) {
    Say(L"== VantrelSim.exe: the operator's session with the simulated writer");
    Session tool(report);
    if (!tool.Launch(setup.simulatedTool)) return;

    Step(L"start-up");
    CheckStartState(tool, report, L"writer connect");
    Shot(report, setup, tool.Main(), L"main-start-up");
    Step(L"Enter");
    CheckEnterKeepsDialog(tool, report);

    Configure(tool, report, setup);
    Upgrade(tool, report, setup);

    Step(L"About box");
    CheckAboutBox(tool, report, setup);

    Step(L"\"退出\"");
    Click(tool.Item(IDCANCEL));
    CheckNormalEnd(tool, report, L"\"退出\"");
}

void RunNoWriterSession(const Setup& setup, Report& report) {
    Say(L"== Vantrel.exe without a writer");
    Session tool(report);
    if (!tool.Launch(setup.realTool)) return;

    Step(L"start-up");
    CheckStartState(tool, report, L"writer unconnect");

    Step(L"configure without a writer");
    if (tool.ChooseFile(setup.samples.controlFile)) {
        report.Expect(tool.Enabled(kConfigure), L"\"配置烧录器\" enabled");
        Click(tool.Item(kConfigure));
        if (tool.WaitForPane(2, L"USB未连接", kBoxTimeoutMs))
            Shot(report, setup, tool.Main(), L"error-no-writer");
    }

    Step(L"cancel the open-file dialog");
    if (tool.ChooseFile(L"")) {
        report.ExpectText(tool.Text(kFilePath), L"", L"file field emptied");
        report.ExpectText(tool.Pane(2), L"", L"pane 2 cleared");
        report.Expect(tool.Enabled(kConfigure), L"\"配置烧录器\" still enabled");
        Click(tool.Item(kConfigure));
        tool.WaitForPane(2, L"没有源文件", kBoxTimeoutMs);
    }

    Step(L"the close box");
    ::PostMessageW(tool.Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    CheckNormalEnd(tool, report, L"the close box");
}

void RunStartUpSession(const std::wstring& tool, Report& report) {
    Say(L"== " + tool + L": start-up without a writer");
    Session session(report);
    if (!session.Launch(tool)) return;
    CheckStartState(session, report, L"writer unconnect");
    ::PostMessageW(session.Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    CheckNormalEnd(session, report, L"the close box");
}

void RunRealWriterSession(const Setup& setup, Report& report) {
    Say(L"== Vantrel.exe with a writer attached");
    Session tool(report);
    if (!tool.Launch(setup.realTool)) return;

    Step(L"start-up");
    CheckStartState(tool, report, L"writer connect");
    Configure(tool, report, setup);
    Upgrade(tool, report, setup);
    Shot(report, setup, tool.Main(), L"real-writer-after-upgrade");

    Step(L"\"退出\"");
    Click(tool.Item(IDCANCEL));
    CheckNormalEnd(tool, report, L"\"退出\"");
}

void RunEscapeSession(const Setup& setup, Report& report) {
    Say(L"== Vantrel.exe ended with Esc");
    Session tool(report);
    if (!tool.Launch(setup.realTool)) return;
    PressKey(tool.Item(kFilePath), VK_ESCAPE);
    CheckNormalEnd(tool, report, L"Esc");
}

}  // namespace gui
