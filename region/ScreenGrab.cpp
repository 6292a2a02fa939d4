#include "region/ScreenGrab.h"

#include <cstdlib>

#include "framework/win/Handles.h"
#include "framework/win/RgbBitmapInfo.h"

namespace {

// Layered and click-through at full opacity, then layered only: a layered
// window is not part of a screen copy made without CAPTUREBLT.
void LayerMainWindow(HWND window) {
    if (!window || !::IsWindow(window)) return;
    const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    ::SetWindowLongPtrW(window, GWL_EXSTYLE, style | WS_EX_LAYERED | WS_EX_TRANSPARENT);
    ::SetLayeredWindowAttributes(window, 0, 255, LWA_ALPHA);
    ::SetWindowLongPtrW(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
}

}  // namespace

int GrabScreen(uint8_t* frame, const ScreenRect& rect, HWND mainWindow, bool setTopWindow) {
    if (!setTopWindow) LayerMainWindow(mainWindow);
    const int width = std::abs(rect.right - rect.left);
    const int height = std::abs(rect.bottom - rect.top);

    win::MemoryDC display(::CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    win::MemoryDC memory(::CreateCompatibleDC(display.Get()));
    if (!memory) return kGrabNoMemoryContext;
    win::Bitmap bitmap(::CreateCompatibleBitmap(display.Get(), width, height));
    if (!bitmap) return kGrabNoBitmap;
    {
        win::ScopedSelectObject select(memory.Get(), bitmap.Get());
        if (!::BitBlt(memory.Get(), 0, 0, width, height, display.Get(), rect.left, rect.top, SRCCOPY))
            return kGrabCopyFailed;
    }
    // The bitmap is read once it is out of the memory context.
    BITMAPINFO info = win::RgbBitmapInfo(width, height, 32);  // positive: bottom-up
    if (::GetDIBits(memory.Get(), bitmap.Get(), 0, static_cast<UINT>(height), frame, &info, DIB_RGB_COLORS) == 0)
        return kGrabReadFailed;
    return 0;
}
