#include "framework/ui/ToolTipCtrl.h"

#include <commctrl.h>

#include "framework/ui/Wnd.h"

namespace {

TOOLINFOW ToolFor(HWND owner, HWND tool) {
    TOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    return info;
}

}  // namespace

CToolTipCtrl::~CToolTipCtrl() {
    if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

BOOL CToolTipCtrl::Create(CWnd* owner) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    m_owner = owner ? owner->m_hWnd : nullptr;
    m_hWnd = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_owner, nullptr,
                               ::GetModuleHandleW(nullptr), nullptr);
    return m_hWnd != nullptr;
}

BOOL CToolTipCtrl::AddTool(HWND tool, const std::wstring& text) {
    TOOLINFOW info = ToolFor(m_owner, tool);
    std::wstring copy = text;  // the control copies the text; it wants a mutable pointer
    info.lpszText = copy.data();
    return static_cast<BOOL>(::SendMessageW(m_hWnd, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::UpdateTipText(HWND tool, const std::wstring& text) {
    TOOLINFOW info = ToolFor(m_owner, tool);
    std::wstring copy = text;
    info.lpszText = copy.data();
    ::SendMessageW(m_hWnd, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::Activate(bool active) const { ::SendMessageW(m_hWnd, TTM_ACTIVATE, active ? TRUE : FALSE, 0); }

void CToolTipCtrl::SetMaxTipWidth(int width) const { ::SendMessageW(m_hWnd, TTM_SETMAXTIPWIDTH, 0, width); }

int CToolTipCtrl::GetToolCount() const { return static_cast<int>(::SendMessageW(m_hWnd, TTM_GETTOOLCOUNT, 0, 0)); }
