#include "tests/wine/driver/WindowQuery.h"

#include <vector>

#include "tests/wine/driver/Poll.h"

namespace driver {
namespace {

struct TopWindowSearch {
    const std::wstring& title;
    const std::wstring& className;
    DWORD processId;
    HWND found;
};

// InternalGetWindowText reads the title the window manager keeps; unlike
// GetWindowText it never sends WM_GETTEXT, which for a window of this very
// process would wait on a thread that may be busy or blocked.
std::wstring StoredTitle(HWND window) {
    const int capacity = 1024;
    std::vector<wchar_t> buffer(capacity);
    const int length = ::InternalGetWindowText(window, buffer.data(), capacity);
    return length > 0 ? std::wstring(buffer.data(), static_cast<size_t>(length)) : std::wstring();
}

std::wstring ClassName(HWND window) {
    wchar_t buffer[256] = {};
    const int length = ::GetClassNameW(window, buffer, 256);
    return length > 0 ? std::wstring(buffer, static_cast<size_t>(length)) : std::wstring();
}

BOOL CALLBACK MatchTopWindow(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<TopWindowSearch*>(param);
    if (search.processId != 0) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner != search.processId) return TRUE;
    }
    if (StoredTitle(window) != search.title) return TRUE;
    if (!search.className.empty() && ::lstrcmpiW(ClassName(window).c_str(), search.className.c_str()) != 0) return TRUE;
    search.found = window;
    return FALSE;
}

}  // namespace

HWND FindTopWindow(const std::wstring& title, DWORD processId, const std::wstring& className) {
    TopWindowSearch search{title, className, processId, nullptr};
    ::EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(const std::wstring& title, DWORD timeoutMs, DWORD processId) {
    HWND found = nullptr;
    PollUntil(timeoutMs, [&] { return (found = FindTopWindow(title, processId)) != nullptr; });
    return found;
}

bool WaitForWindowGone(const std::wstring& title, DWORD timeoutMs) {
    return PollUntil(timeoutMs, [&] { return FindTopWindow(title) == nullptr; });
}

std::wstring GetText(HWND window) {
    DWORD_PTR length = 0;
    if (!::IsWindow(window) ||
        !::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &length))
        return L"";
    // WM_GETTEXTLENGTH may overstate (it never understates), so the copied
    // length is what counts.
    std::vector<wchar_t> buffer(length + 1);
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                               SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &copied))
        return L"";
    if (copied > length) copied = length;
    return std::wstring(buffer.data(), copied);
}

std::wstring GetControlText(HWND dialog, int id) {
    HWND control = ::GetDlgItem(dialog, id);
    return control ? GetText(control) : std::wstring();
}

bool SetControlText(HWND dialog, int id, const std::wstring& text) {
    HWND control = ::GetDlgItem(dialog, id);
    DWORD_PTR result = 0;
    return control &&
           ::SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                                 kAnswerTimeoutMs, &result) &&
           result == TRUE;
}

bool ClickControl(HWND dialog, int id) {
    HWND control = ::GetDlgItem(dialog, id);
    return control && ::IsWindowEnabled(control) && ::PostMessageW(control, BM_CLICK, 0, 0);
}

bool SendMenuCommand(HWND window, int id) { return ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0) != FALSE; }

bool PostRegisteredMessage(HWND window, const std::wstring& name, WPARAM wParam, LPARAM lParam) {
    const UINT message = ::RegisterWindowMessageW(name.c_str());
    return message != 0 && ::PostMessageW(window, message, wParam, lParam);
}

std::vector<std::wstring> ComboItems(HWND dialog, int id) {
    HWND box = ::GetDlgItem(dialog, id);
    std::vector<std::wstring> items;
    // A combo box answers each of these with a count, or CB_ERR (-1).
    auto ask = [box](UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        DWORD_PTR answer = 0;
        if (!::SendMessageTimeoutW(box, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer))
            return CB_ERR;
        return static_cast<LRESULT>(answer);
    };
    if (!box) return items;
    const LRESULT count = ask(CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = ask(CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring text(length > 0 ? static_cast<std::size_t>(length) + 1 : 1, L'\0');
        const LRESULT copied = ask(CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
        items.push_back(text);
    }
    return items;
}

bool ChooseComboItem(HWND dialog, int id, const std::wstring& text) {
    const std::vector<std::wstring> items = ComboItems(dialog, id);
    HWND box = ::GetDlgItem(dialog, id);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] != text) continue;
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(box, CB_SETCURSEL, i, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &ignored);
        return ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box)) != 0;
    }
    return false;
}

bool IsControlEnabled(HWND dialog, int id) {
    HWND control = ::GetDlgItem(dialog, id);
    return control && ::IsWindowEnabled(control);
}

bool IsControlChecked(HWND dialog, int id) {
    HWND control = ::GetDlgItem(dialog, id);
    DWORD_PTR state = 0;
    return control && ::SendMessageTimeoutW(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &state) &&
           state == BST_CHECKED;
}

RECT WindowRect(HWND window) {
    RECT rect{};
    if (!::GetWindowRect(window, &rect)) rect = RECT{};
    return rect;
}

bool IsVisible(HWND window) { return ::IsWindowVisible(window) != FALSE; }

void Settle(DWORD ms) { ::Sleep(ms); }

}  // namespace driver
