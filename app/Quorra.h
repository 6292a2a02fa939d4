#pragma once
// The recorder's application object: stage 1 of start-up.

#include <memory>

#include "app/CmdLineInfo.h"
#include "app/MainWindow.h"
#include "framework/ui/WinApp.h"

class Quorra : public CWinApp {
public:
    BOOL InitInstance() override;

private:
    std::unique_ptr<MainWindow> m_frame;
};

// The parameter table the framework filled.
CmdLineInfo& CommandLine();
