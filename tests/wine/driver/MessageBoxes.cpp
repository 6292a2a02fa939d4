#include "tests/wine/driver/MessageBoxes.h"

#include <utility>

#include "tests/wine/driver/Poll.h"
#include "tests/wine/driver/WindowQuery.h"

namespace driver {
namespace {

BOOL CALLBACK KeepLongestStaticText(HWND child, LPARAM param) {
    auto& longest = *reinterpret_cast<std::wstring*>(param);
    wchar_t className[64] = {};
    if (::GetClassNameW(child, className, 64) == 0 || ::lstrcmpiW(className, L"Static") != 0) return TRUE;
    std::wstring text = GetText(child);
    if (text.size() > longest.size()) longest = std::move(text);
    return TRUE;
}

}  // namespace

HWND WaitForMessageBox(const std::wstring& caption, DWORD timeoutMs, DWORD processId) {
    HWND found = nullptr;
    PollUntil(timeoutMs, [&] {
        found = FindTopWindow(caption, processId, kDialogClass);
        return found != nullptr && ::IsWindowVisible(found);
    });
    return found && ::IsWindowVisible(found) ? found : nullptr;
}

std::wstring MessageBoxText(HWND box) {
    std::wstring text = GetControlText(box, kMessageBoxTextId);
    if (text.empty()) ::EnumChildWindows(box, KeepLongestStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
}

bool PressButton(HWND box, int buttonId) {
    if (!::IsWindow(box)) return false;
    HWND button = ::GetDlgItem(box, buttonId);
    const bool posted = button ? ::PostMessageW(button, BM_CLICK, 0, 0)
                               : ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
    return posted && PollUntil(kBoxCloseTimeoutMs, [box] { return !::IsWindow(box); });
}

}  // namespace driver
