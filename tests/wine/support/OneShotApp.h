#pragma once
// The application object of a test host: it runs one function in
// InitInstance and ends with that function's result as the exit code; no
// message loop follows. Define one as the program's global application.

#include "framework/ui/WinApp.h"

class OneShotApp : public CWinApp {
public:
    explicit OneShotApp(int (*run)()) : m_run(run) {}
    BOOL InitInstance() override {
        m_code = m_run();
        return FALSE;
    }
    int ExitInstance() override { return m_code; }

private:
    int (*m_run)();
    int m_code = 0;
};
