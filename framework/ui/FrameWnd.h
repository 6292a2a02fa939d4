#pragma once
// CFrameWnd: a top-level frame window.

#include "framework/ui/Wnd.h"

class CFrameWnd : public CWnd {
public:
    // Creates the frame of window class className (our default class when
    // null; see RegisterWndClass) at rect (CW_USEDEFAULT when rect is null),
    // with the named menu resource if menuName is given. The frame stays
    // hidden until shown unless style has WS_VISIBLE.
    BOOL Create(LPCWSTR className, LPCWSTR title, DWORD style = WS_OVERLAPPEDWINDOW, const RECT* rect = nullptr,
                CWnd* parent = nullptr, LPCWSTR menuName = nullptr, DWORD exStyle = 0);
};
