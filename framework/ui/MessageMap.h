#pragma once
// Message maps in the manner of MFC: each window class has a table of
// message (or command id) -> member handler, declared in the class with
// DECLARE_MESSAGE_MAP() and defined in its .cpp:
//
//   BEGIN_MESSAGE_MAP(WinDlg, CDialog)
//       ON_WM_TIMER()
//       ON_COMMAND(ID_RECORD, OnRecord)
//       ON_REGISTERED_MESSAGE(g_quorraMessage, OnQuorraMessage)
//   END_MESSAGE_MAP()
//
// Each entry holds a small thunk that casts the window to the class and calls
// the typed handler, so a wrong handler signature fails to compile. A table
// chains to its base class's table; the first matching entry wins.
// Registered messages are matched through the address of the variable that
// holds the registered number, so the table can be built before
// RegisterWindowMessage runs.

#include <windows.h>

class CWnd;

enum class MsgKind { End, Message, Registered, Command, CommandRange, Notify };

struct MessageMapEntry {
    MsgKind kind;
    UINT message;            // Message: the message number
    const UINT* registered;  // Registered: where the registered number lives
    UINT code;               // Command: notification code; Notify: NMHDR code
    UINT idFirst;
    UINT idLast;
    LRESULT (*thunk)(CWnd* wnd, WPARAM wp, LPARAM lp);
};

struct MessageMap {
    const MessageMap* (*base)();
    const MessageMapEntry* entries;
};

// The table macros are laid out by hand: one entry per line reads best.
// clang-format off
#define DECLARE_MESSAGE_MAP()                    \
protected:                                       \
    static const MessageMap* GetThisMessageMap(); \
    const MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                        \
    const MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const MessageMap* theClass::GetThisMessageMap() {                                 \
        using ThisClass = theClass;                                                   \
        using TheBaseClass = baseClass;                                               \
        static const MessageMapEntry entries[] = {
#define END_MESSAGE_MAP()                                                        \
    {MsgKind::End, 0, nullptr, 0, 0, 0, nullptr}                                 \
    }                                                                            \
    ;                                                                            \
    static const MessageMap map = {&TheBaseClass::GetThisMessageMap, entries}; \
    return &map;                                                                 \
    }

#define TELVANE_MSG_THUNK(body) [](CWnd* w, WPARAM wParam, LPARAM lParam) -> LRESULT { \
    (void)wParam;                                                                      \
    (void)lParam;                                                                      \
    ThisClass* self = static_cast<ThisClass*>(w);                                      \
    body                                                                               \
}

// Generic: LRESULT Handler(WPARAM, LPARAM)
#define ON_MESSAGE(msg, fn) \
    {MsgKind::Message, msg, nullptr, 0, 0, 0, TELVANE_MSG_THUNK(return self->fn(wParam, lParam);)},
#define ON_REGISTERED_MESSAGE(var, fn) \
    {MsgKind::Registered, 0, &(var), 0, 0, 0, TELVANE_MSG_THUNK(return self->fn(wParam, lParam);)},

// Commands from menus, accelerators and buttons: void Handler()
#define ON_COMMAND(id, fn) \
    {MsgKind::Command, WM_COMMAND, nullptr, 0, id, id, TELVANE_MSG_THUNK(self->fn(); return 0;)},
// void Handler(UINT id)
#define ON_COMMAND_RANGE(first, last, fn) \
    {MsgKind::CommandRange, WM_COMMAND, nullptr, 0, first, last, TELVANE_MSG_THUNK(self->fn(LOWORD(wParam)); return 0;)},
// A control notification with its code: void Handler()
#define ON_CONTROL(code, id, fn) \
    {MsgKind::Command, WM_COMMAND, nullptr, code, id, id, TELVANE_MSG_THUNK(self->fn(); return 0;)},
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
#define ON_BN_DOUBLECLICKED(id, fn) ON_CONTROL(BN_DOUBLECLICKED, id, fn)
#define ON_EN_CHANGE(id, fn) ON_CONTROL(EN_CHANGE, id, fn)
#define ON_CBN_SELCHANGE(id, fn) ON_CONTROL(CBN_SELCHANGE, id, fn)
#define ON_LBN_SELCHANGE(id, fn) ON_CONTROL(LBN_SELCHANGE, id, fn)
#define ON_LBN_DBLCLK(id, fn) ON_CONTROL(LBN_DBLCLK, id, fn)
// WM_NOTIFY: void Handler(NMHDR*, LRESULT*)
#define ON_NOTIFY(code, id, fn)                                                                  \
    {MsgKind::Notify, WM_NOTIFY, nullptr, static_cast<UINT>(code), id, id, TELVANE_MSG_THUNK( \
        LRESULT result = 0; self->fn(reinterpret_cast<NMHDR*>(lParam), &result); return result;)},

#define TELVANE_ON_WM(msg, body) {MsgKind::Message, msg, nullptr, 0, 0, 0, TELVANE_MSG_THUNK(body)},
#define TELVANE_POINT_FROM_LPARAM POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}

// Typed handlers for the common window messages.
#define ON_WM_TIMER() TELVANE_ON_WM(WM_TIMER, self->OnTimer(static_cast<UINT_PTR>(wParam)); return 0;)
#define ON_WM_CREATE() TELVANE_ON_WM(WM_CREATE, return self->OnCreate(reinterpret_cast<CREATESTRUCTW*>(lParam));)
#define ON_WM_CLOSE() TELVANE_ON_WM(WM_CLOSE, self->OnClose(); return 0;)
#define ON_WM_DESTROY() TELVANE_ON_WM(WM_DESTROY, self->OnDestroy(); return 0;)
#define ON_WM_PAINT() TELVANE_ON_WM(WM_PAINT, self->OnPaint(); return 0;)
#define ON_WM_ERASEBKGND() TELVANE_ON_WM(WM_ERASEBKGND, return self->OnEraseBkgnd(reinterpret_cast<HDC>(wParam));)
#define ON_WM_SIZE() \
    TELVANE_ON_WM(WM_SIZE, self->OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)); return 0;)
#define ON_WM_MOVE() TELVANE_ON_WM(WM_MOVE, self->OnMove(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))); return 0;)
// The command's low four bits are the system's own: mask with 0xFFF0 to
// compare, pass it on whole.
#define ON_WM_SYSCOMMAND() \
    TELVANE_ON_WM(WM_SYSCOMMAND, return self->OnSysCommand(static_cast<UINT>(wParam), lParam);)
#define ON_WM_HOTKEY() \
    TELVANE_ON_WM(WM_HOTKEY, self->OnHotKey(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)); return 0;)
#define ON_WM_DRAWITEM() \
    TELVANE_ON_WM(WM_DRAWITEM, self->OnDrawItem(static_cast<int>(wParam), reinterpret_cast<DRAWITEMSTRUCT*>(lParam)); return TRUE;)
#define ON_WM_NCHITTEST() TELVANE_ON_WM(WM_NCHITTEST, return self->OnNcHitTest(TELVANE_POINT_FROM_LPARAM);)
#define TELVANE_ON_MOUSE(msg, fn) TELVANE_ON_WM(msg, self->fn(static_cast<UINT>(wParam), TELVANE_POINT_FROM_LPARAM); return 0;)
#define ON_WM_LBUTTONDOWN() TELVANE_ON_MOUSE(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() TELVANE_ON_MOUSE(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() TELVANE_ON_MOUSE(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() TELVANE_ON_MOUSE(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_RBUTTONUP() TELVANE_ON_MOUSE(WM_RBUTTONUP, OnRButtonUp)
#define ON_WM_MOUSEMOVE() TELVANE_ON_MOUSE(WM_MOUSEMOVE, OnMouseMove)
// HBRUSH OnCtlColor(HDC, HWND control, UINT ctlType) for dialogs, statics, buttons and edits.
#define TELVANE_ON_CTLCOLOR(msg, type) \
    TELVANE_ON_WM(msg, return reinterpret_cast<LRESULT>(self->OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), type));)
#define ON_WM_CTLCOLOR()                                  \
    TELVANE_ON_CTLCOLOR(WM_CTLCOLORDLG, CTLCOLOR_DLG)       \
    TELVANE_ON_CTLCOLOR(WM_CTLCOLORSTATIC, CTLCOLOR_STATIC) \
    TELVANE_ON_CTLCOLOR(WM_CTLCOLORBTN, CTLCOLOR_BTN)       \
    TELVANE_ON_CTLCOLOR(WM_CTLCOLOREDIT, CTLCOLOR_EDIT)
// clang-format on
