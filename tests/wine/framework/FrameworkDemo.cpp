// A small program that exercises the UI framework the way the recorder
// does: a hidden frame as the main window, a modeless dialog from a
// template, a modal dialog, message-map handlers for buttons, a timer and a
// registered message, a message box whose answer the program acts on, and
// an exit code. The Wine test drives it end to end.

#include <windows.h>

#include <memory>
#include <string>

#include "framework/ui/Controls.h"
#include "framework/ui/Dialog.h"
#include "framework/ui/FrameWnd.h"
#include "framework/ui/WinApp.h"
#include "tests/wine/framework/DemoResource.h"

namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr int kExitOnYes = 3;
UINT g_demoMessage = 0;

// Collects the parameters as "switch x1; 100; last" for the test to read.
class DemoCommandLine : public CCommandLineInfo {
public:
    void ParseParam(const wchar_t* param, bool isSwitch, bool isLast) override {
        if (!text.empty()) text += L"; ";
        text += isSwitch ? L"switch " : L"";
        text += param;
        if (isLast) text += L" (last)";
    }
    std::wstring text;
};

class AboutDlg : public CDialog {
public:
    AboutDlg(CWnd* parent) : CDialog(IDD_ABOUT, parent) {}

    BOOL OnInitDialog() override {
        SetDlgItemText(IDC_ABOUT_TEXT, L"Made with the Telvane framework");
        return TRUE;
    }
};

class DemoDlg : public CDialog {
public:
    DemoDlg(CWnd* owner, std::wstring params) : CDialog(IDD_DEMO, owner), m_params(std::move(params)) {}

    int m_exitCode = -1;

protected:
    BOOL OnInitDialog() override {
        SetDlgItemText(IDC_PARAMS, m_params);
        SetTimer(kTickTimer, 100);
        return TRUE;
    }

    void OnCancel() override { EndProgram(0); }

    void OnTimer(UINT_PTR id) {
        if (id != kTickTimer) return;
        ++m_ticks;
        SetDlgItemText(IDC_TICKS, L"Ticks: " + std::to_wstring(m_ticks));
    }

    void OnHello() { CStatic(*this, IDC_STATUS).SetWindowText(L"Hello from the message map"); }

    void OnAsk() {
        const int answer = ::MessageBoxW(nullptr, L"Close the demo now?", L"Telvane Message",
                                         MB_YESNO | MB_ICONWARNING | MB_TASKMODAL | MB_TOPMOST);
        if (answer == IDYES)
            EndProgram(kExitOnYes);
        else
            SetDlgItemText(IDC_STATUS, L"You chose to stay");
    }

    void OnAbout() {
        AboutDlg about(this);
        const INT_PTR result = about.DoModal();
        SetDlgItemText(IDC_STATUS, result == IDOK ? L"About closed with OK" : L"About closed otherwise");
    }

    LRESULT OnDemoMessage(WPARAM wParam, LPARAM lParam) {
        SetDlgItemText(IDC_STATUS, L"Registered message " + std::to_wstring(wParam) + L"/" + std::to_wstring(lParam));
        return 0;
    }

private:
    void EndProgram(int code) {
        m_exitCode = code;
        KillTimer(kTickTimer);
        // The frame is the main window: its end ends the message loop.
        if (CWinApp* app = AfxGetApp(); app && app->m_pMainWnd) app->m_pMainWnd->DestroyWindow();
    }

    std::wstring m_params;
    int m_ticks = 0;

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DemoDlg, CDialog)
ON_WM_TIMER()
ON_BN_CLICKED(IDC_HELLO, OnHello)
ON_BN_CLICKED(IDC_ASK, OnAsk)
ON_COMMAND(IDC_ABOUT, OnAbout)
ON_REGISTERED_MESSAGE(g_demoMessage, OnDemoMessage)
END_MESSAGE_MAP()

class DemoApp : public CWinApp {
public:
    BOOL InitInstance() override {
        g_demoMessage = ::RegisterWindowMessageW(L"Telvane Demo Message");
        DemoCommandLine cmdInfo;
        ParseCommandLine(cmdInfo);

        if (!m_frame.Create(nullptr, L"Telvane Demo Frame", WS_OVERLAPPEDWINDOW)) return FALSE;
        m_pMainWnd = &m_frame;
        m_dialog = std::make_unique<DemoDlg>(&m_frame, cmdInfo.text);
        if (!m_dialog->Create()) return FALSE;
        m_dialog->ShowWindow(SW_SHOW);
        return TRUE;
    }

    int ExitInstance() override {
        const int code = m_dialog && m_dialog->m_exitCode >= 0 ? m_dialog->m_exitCode : CWinApp::ExitInstance();
        m_dialog.reset();
        return code;
    }

private:
    CFrameWnd m_frame;
    std::unique_ptr<DemoDlg> m_dialog;
};

DemoApp theApp;

}  // namespace
