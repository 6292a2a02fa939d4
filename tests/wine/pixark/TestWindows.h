#pragma once
// Windows of known colours for the capture tests: a popup without a frame
// at an exact place, painted in four quadrants (or one colour), in WM_PAINT
// and, for the background capture, also in WM_PRINTCLIENT. They belong to
// the creating thread, which pumps messages while a test waits (PumpFor).

#include <windows.h>

#include <cstdint>

// The quadrant colours as 0xRRGGBB.
constexpr uint32_t kTopLeft = 0xFF0000;      // red
constexpr uint32_t kTopRight = 0x00FF00;     // green
constexpr uint32_t kBottomLeft = 0x0000FF;   // blue
constexpr uint32_t kBottomRight = 0xFFFF00;  // yellow
constexpr uint32_t kCoverColour = 0x808080;  // the covering window

class ColourWindow {
public:
    // solid 0xFF000000 paints the four quadrants, else that one colour.
    ColourWindow(int x, int y, int width, int height, uint32_t solid = 0xFF000000u, bool topmost = false);
    ~ColourWindow();
    ColourWindow(const ColourWindow&) = delete;
    ColourWindow& operator=(const ColourWindow&) = delete;

    HWND Handle() const { return m_hwnd; }
    explicit operator bool() const { return m_hwnd != nullptr; }
    void MoveTo(int x, int y);
    // Where the window draws its picture: on the screen (WM_PAINT) and for
    // PrintWindow (WM_PRINTCLIENT), as a window drawn by the GPU does (the
    // screen stays black), or as one that does not answer PrintWindow.
    enum class Drawing { Everywhere, ForPrintOnly, ForScreenOnly };
    void SetDrawing(Drawing drawing);
    // Puts the window above the others (it was put below by another).
    void Raise();

    // The quadrant colour expected at (x, y) in window client pixels.
    uint32_t ColourAt(int x, int y) const;

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void Paint(HDC dc) const;

    HWND m_hwnd = nullptr;
    int m_width, m_height;
    uint32_t m_solid;
    Drawing m_drawing = Drawing::Everywhere;
};

// Dispatches this thread's messages for ms milliseconds, waiting for them
// (not spinning) in between.
void PumpFor(DWORD ms);
