// WSize: the application object of size.exe, the bitmap scaler the recorder
// starts with " -sz %d". It works in the recorder's settings folder, scales
// one master into "bitmap7_rsc.bmp" and always ends with exit code 0; the
// outcome is the line in its hidden window and the output file itself.

#include <shlobj.h>
#include <windows.h>

#include <cwchar>
#include <memory>
#include <string>

#include "framework/ui/WinApp.h"
#include "scaler/CmdLineInfo.h"
#include "scaler/MainWindow.h"
#include "scaler/ScaleJob.h"
#include "scaler/SizeResource.h"
#include "scaler/Win32ScalerFiles.h"

namespace scaler {
namespace {

void MakeProgramFolderCurrent() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    if (wchar_t* slash = std::wcsrchr(path, L'\\')) {
        *slash = L'\0';
        ::SetCurrentDirectoryW(path);
    }
}

// "<application data>\Telvane 2", where the recorder keeps the masters;
// empty when the system does not name the application-data folder.
std::wstring RecorderSettingsFolder() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)) || path[0] == L'\0')
        return std::wstring();
    return std::wstring(path) + L"\\Telvane 2";
}

void ShowTooMany(int index) {
    wchar_t text[64];
    std::swprintf(text, 64, L"Too many parameters %d", index);
    ::MessageBoxW(nullptr, text, L"ZVR Message", MB_OK);
}

class WSize : public CWinApp {
public:
    BOOL InitInstance() override {
        MakeProgramFolderCurrent();
        CmdLineInfo cmdInfo(ShowTooMany);
        ParseCommandLine(cmdInfo);
        const ScalerInput input = ChooseInput(RecorderSettingsFolder(), cmdInfo.Scale());

        m_window = std::make_unique<MainWindow>(m_files, input.inputName, input.scale, [this] {
            // The frame is the main window: its end ends the message loop.
            m_window->DestroyWindow();
        });
        HICON icon = ::LoadIconW(m_hInstance, MAKEINTRESOURCEW(IDI_SIZE));
        if (!m_window->CreateHidden(icon)) return FALSE;
        m_pMainWnd = m_window.get();
        return TRUE;
    }

    // 0 in every case: the recorder judges by the output file.
    int ExitInstance() override { return 0; }

private:
    Win32ScalerFiles m_files;
    std::unique_ptr<MainWindow> m_window;
};

WSize theApp;

}  // namespace
}  // namespace scaler
