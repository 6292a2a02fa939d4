#pragma once
// What the motion search needs of the system: the area to search, memory
// for the grabs, the grabs themselves, pauses, the message box, the report
// to the recorder window and the trace. Implemented over Win32 for the
// program and as a scripted fake for the native tests.

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/services/Geometry.h"
#include "region/FrameBuffer.h"

struct SearchArea {
    // Virtual-screen pixels; the grabs cover exactly this rectangle.
    ScreenRect rect;
    // The screen's height, for the trace's taskbar figure.
    int screenHeight = 0;
};

// The system metrics the search takes from the display probe at its start.
struct SearchMetrics {
    int menuHeight = 0;  // menu-bar height
    int edgeX = 0;       // horizontal window-edge width
    int edgeY = 0;       // vertical window-edge height (trace only)
};

enum class MotionEnd { Found, NoVideo, Error, Cancelled };

struct MotionReport {
    MotionEnd end = MotionEnd::NoVideo;
    ScreenRect region;  // virtual-screen pixels; set when found
    int Code() const { return end == MotionEnd::Found ? 777 : 1111; }
};

class MotionSearchSystem {
public:
    virtual ~MotionSearchSystem() = default;

    // Read at the start of every attempt.
    virtual SearchArea Area() = 0;
    // Zero-filled memory for one grab; false when there is none.
    virtual bool Allocate(FrameBuffer& frame, size_t bytes) = 0;
    // Fills frame (exactly width x height x 4 bytes, bottom-up) from the
    // screen; 0 or the grab's error number.
    virtual int Grab(uint8_t* frame, const ScreenRect& rect) = 0;
    virtual void Sleep(int ms) = 0;
    virtual void WaitPumping(int ms) = 0;
    virtual void ShowMessage(const std::wstring& text) = 0;
    // Keeps the result for the recorder window, then posts its code.
    virtual void Report(const MotionReport& report) = 0;
    virtual bool Tracing() = 0;
    virtual void Trace(const std::wstring& text) = 0;
};
