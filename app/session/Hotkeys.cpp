#include "app/session/Hotkeys.h"

#include <windows.h>

#include "app/services/ShowMessage.h"
#include "app/window/WinDlg.h"
#include "settings/HotkeyText.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsText.h"

namespace {
constexpr int kRecordHotkeyId = 0;
}

void RegisterRecordHotkey(bool reportFailure) {
    WinDlg* recorder = RecorderWindow();
    if (!recorder || !recorder->m_hWnd) return;
    ParsedHotkey hotkey = ParseHotkey(TextOf(Settings.Hotkey));
    if (!hotkey.found) {
        hotkey = ParsedHotkey{kDefaultHotkeyModifier, kDefaultHotkeyCode, true};
        CopyText(Settings.Hotkey, kDefaultHotkeyText);
        WriteSettings();
    }
    ::UnregisterHotKey(recorder->m_hWnd, kRecordHotkeyId);
    if (!::RegisterHotKey(recorder->m_hWnd, kRecordHotkeyId, hotkey.modifier, static_cast<UINT>(hotkey.code)) &&
        reportFailure)
        ShowMessage(L"Cannot register hotkey " + std::wstring(TextOf(Settings.Hotkey)));
}

void UnregisterRecordHotkey() {
    if (WinDlg* recorder = RecorderWindow(); recorder && recorder->m_hWnd)
        ::UnregisterHotKey(recorder->m_hWnd, kRecordHotkeyId);
}
