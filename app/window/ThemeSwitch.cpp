#include "app/window/ThemeSwitch.h"

#include <windows.h>

// shellapi.h needs windows.h before it.
#include <shellapi.h>

#include "app/services/Environment.h"

void StartBasicThemeHelper() {
    if (!Env().VistaOrLater || ::FindWindowW(nullptr, L"ZBasic")) return;
    // A missing helper is not reported.
    ::ShellExecuteW(nullptr, L"open", L"zcbasic.exe", L"-w Quorra", nullptr, SW_HIDE);
}
