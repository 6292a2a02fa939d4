#include "framework/ui/FrameWnd.h"

BOOL CFrameWnd::Create(LPCWSTR className, LPCWSTR title, DWORD style, const RECT* rect, CWnd* parent, LPCWSTR menuName,
                       DWORD exStyle) {
    HMENU menu = nullptr;
    if (menuName) {
        menu = ::LoadMenuW(::GetModuleHandleW(nullptr), menuName);
        if (!menu) return FALSE;
    }
    const int x = rect ? rect->left : CW_USEDEFAULT;
    const int y = rect ? rect->top : CW_USEDEFAULT;
    const int width = rect ? rect->right - rect->left : CW_USEDEFAULT;
    const int height = rect ? rect->bottom - rect->top : CW_USEDEFAULT;
    if (!CreateEx(exStyle, className, title, style, x, y, width, height, parent ? parent->m_hWnd : nullptr, menu)) {
        // A menu not attached to a window is ours to free.
        if (menu) ::DestroyMenu(menu);
        return FALSE;
    }
    return TRUE;
}
