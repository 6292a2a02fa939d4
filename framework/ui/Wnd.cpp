#include "framework/ui/Wnd.h"

#include <vector>

#include "framework/ui/WinApp.h"

namespace {

// The property under which a window keeps its CWnd*. A property, not
// GWLP_USERDATA, so dialogs and subclassed controls keep their user data.
constexpr wchar_t kObjectProp[] = L"Telvane.CWnd";
constexpr wchar_t kDefaultClass[] = L"TelvaneWnd";

}  // namespace

CWnd::~CWnd() {
    if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

const MessageMap* CWnd::GetThisMessageMap() {
    static const MessageMapEntry entries[] = {{MsgKind::End, 0, nullptr, 0, 0, 0, nullptr}};
    static const MessageMap map = {nullptr, entries};
    return &map;
}

const MessageMap* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    if (!hwnd) return nullptr;
    return static_cast<CWnd*>(::GetPropW(hwnd, kObjectProp));
}

void CWnd::Attach(HWND hwnd) {
    m_hWnd = hwnd;
    ::SetPropW(hwnd, kObjectProp, this);
}

void CWnd::Detach() {
    if (m_hWnd) ::RemovePropW(m_hWnd, kObjectProp);
    m_hWnd = nullptr;
}

void CWnd::OnNcDestroyed() {
    Detach();
    if (CWinApp* app = AfxGetApp(); app && app->m_pMainWnd == this) {
        // The main window's end is the application's end.
        app->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
    PostNcDestroy();
}

LPCWSTR CWnd::RegisterWndClass(LPCWSTR name, UINT style, HCURSOR cursor, HBRUSH background, HICON icon) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (::GetClassInfoExW(instance, name, &wc)) return name;
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = &CWnd::StdWndProc;
    wc.hInstance = instance;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    return ::RegisterClassExW(&wc) ? name : nullptr;
}

LPCWSTR CWnd::DefaultClassName() {
    return RegisterWndClass(kDefaultClass, CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                            reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int width, int height,
                    HWND parent, HMENU menuOrId) {
    if (!className) className = DefaultClassName();
    if (!className) return FALSE;
    HWND hwnd = ::CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menuOrId,
                                  ::GetModuleHandleW(nullptr), this);
    return hwnd != nullptr;
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

LRESULT CALLBACK CWnd::StdWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* self = FromHandlePermanent(hwnd);
    if (!self && message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<CWnd*>(create->lpCreateParams);
        if (self) self->Attach(hwnd);
    }
    if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    LRESULT result = self->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) self->OnNcDestroyed();
    return result;
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    for (const MessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
        for (const MessageMapEntry* e = map->entries; e->kind != MsgKind::End; ++e) {
            bool match = false;
            switch (e->kind) {
                case MsgKind::Message:
                    match = message == e->message;
                    break;
                case MsgKind::Registered:
                    match = *e->registered != 0 && message == *e->registered;
                    break;
                case MsgKind::Command: {
                    // Menus send code 0 and accelerators 1; both reach ON_COMMAND.
                    const UINT code = HIWORD(wParam);
                    match = message == WM_COMMAND && LOWORD(wParam) == e->idFirst &&
                            (code == e->code || (e->code == 0 && code == 1 && lParam == 0));
                    break;
                }
                case MsgKind::CommandRange:
                    match = message == WM_COMMAND && LOWORD(wParam) >= e->idFirst && LOWORD(wParam) <= e->idLast;
                    break;
                case MsgKind::Notify: {
                    const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
                    match = message == WM_NOTIFY && hdr && hdr->idFrom == e->idFirst && hdr->code == e->code;
                    break;
                }
                case MsgKind::End:
                    break;
            }
            if (match) {
                *result = e->thunk(this, wParam, lParam);
                return true;
            }
        }
    }
    return false;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnWndMsg(message, wParam, lParam, &result)) return result;
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

std::wstring CWnd::WindowTextOf(HWND hwnd) {
    if (!hwnd) return std::wstring();
    const int length = ::GetWindowTextLengthW(hwnd);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const int got = ::GetWindowTextW(hwnd, buffer.data(), length + 1);
    return std::wstring(buffer.data(), static_cast<size_t>(got > 0 ? got : 0));
}
