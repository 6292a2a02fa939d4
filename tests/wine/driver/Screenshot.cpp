#include "tests/wine/driver/Screenshot.h"

#include <cwctype>

#include "framework/win/Handles.h"
#include "framework/win/RgbBitmapInfo.h"
#include "tests/wine/driver/Files.h"

namespace driver {
namespace {

bool EndsWithNoCase(const std::wstring& text, const std::wstring& suffix) {
    if (text.size() < suffix.size()) return false;
    for (size_t i = 0; i < suffix.size(); ++i) {
        if (std::towlower(text[text.size() - suffix.size() + i]) != std::towlower(suffix[i])) return false;
    }
    return true;
}

}  // namespace

bool CaptureScreenRect(const RECT& rect, RgbImage* image) {
    *image = RgbImage{};
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;

    win::WindowDC screen(nullptr);
    if (!screen) return false;
    win::MemoryDC memory(::CreateCompatibleDC(screen.Get()));
    if (!memory) return false;

    // A top-down 24-bit DIB section: rows in image order, B, G, R, each row
    // padded to 4 bytes.
    const BITMAPINFO info = win::RgbBitmapInfo(width, -height, 24);
    void* bits = nullptr;
    win::Bitmap bitmap(::CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return false;
    {
        win::ScopedSelectObject select(memory.Get(), bitmap.Get());
        // CAPTUREBLT takes layered windows along, as the eye sees them.
        if (!::BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), rect.left, rect.top, SRCCOPY | CAPTUREBLT))
            return false;
    }
    ::GdiFlush();

    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    const auto* source = static_cast<const uint8_t*>(bits);
    image->width = width;
    image->height = height;
    image->rgb.resize(static_cast<size_t>(width) * height * 3);
    uint8_t* target = image->rgb.data();
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = source + static_cast<size_t>(y) * stride;
        for (int x = 0; x < width; ++x, target += 3) {
            target[0] = row[x * 3 + 2];
            target[1] = row[x * 3 + 1];
            target[2] = row[x * 3 + 0];
        }
    }
    return true;
}

bool CaptureWindow(HWND window, RgbImage* image) {
    RECT rect{};
    if (window) {
        if (!::GetWindowRect(window, &rect)) {
            *image = RgbImage{};
            return false;
        }
    } else {
        rect.left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
        rect.top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
        rect.right = rect.left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
        rect.bottom = rect.top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    }
    return CaptureScreenRect(rect, image);
}

bool SaveImage(const RgbImage& image, const std::wstring& path) {
    std::vector<uint8_t> bytes;
    if (EndsWithNoCase(path, L".png"))
        bytes = EncodePng(image);
    else if (EndsWithNoCase(path, L".bmp"))
        bytes = EncodeBmp(image);
    return !bytes.empty() && WriteFileBytes(path, bytes);
}

bool SaveScreenshot(HWND window, const std::wstring& path) {
    // A window just shown may not have painted all its controls yet: have it
    // paint them now (the owner's thread answers before this returns).
    if (window)
        ::RedrawWindow(window, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RgbImage image;
    return CaptureWindow(window, &image) && SaveImage(image, path);
}

}  // namespace driver
