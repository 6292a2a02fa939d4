#pragma once
// CWinApp: the one application object. The framework's wWinMain runs
// InitInstance, then the message loop (Run) while InitInstance succeeded,
// and returns ExitInstance's result as the process exit code.

#include <windows.h>

#include "framework/ui/CommandLineInfo.h"

class CWnd;

class CWinApp {
public:
    // The program keeps exactly one, as a global.
    CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    virtual BOOL InitInstance() { return TRUE; }
    // The message loop: GetMessage until WM_QUIT (-1 is an error and ends
    // the loop), each message offered to PreTranslateMessage first.
    virtual int Run();
    // The exit code; by default the WM_QUIT code (0 when InitInstance failed).
    virtual int ExitInstance() { return m_exitCode; }
    // Gives the window chain under msg->hwnd a chance to consume the message
    // (IsDialogMessage for modeless dialogs, tooltips).
    virtual BOOL PreTranslateMessage(MSG* msg);

    // Feeds this process's command line to info.ParseParam.
    void ParseCommandLine(CCommandLineInfo& info);

    HINSTANCE m_hInstance = nullptr;
    LPWSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    // The main window; when its window ends, the message loop ends.
    CWnd* m_pMainWnd = nullptr;

protected:
    int m_exitCode = 0;
};

CWinApp* AfxGetApp();

// Offers msg to the window objects from msg->hwnd up through its parents;
// true when one consumed it. Pumped waits use it too.
BOOL WalkPreTranslateTree(MSG* msg);
