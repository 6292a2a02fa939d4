#pragma once
// The recorder's application object: stage 1 of start-up.

#include "app/CmdLineInfo.h"
#include "framework/ui/WinApp.h"

class MainWindow;

class Quorra : public CWinApp {
public:
    ~Quorra() override;
    BOOL InitInstance() override;

private:
    MainWindow* m_frame = nullptr;
};

// The parameter table the framework filled.
CmdLineInfo& CommandLine();
