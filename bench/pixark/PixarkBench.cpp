// The capture filter's cost against the least a GDI capture can cost.
// For each frame size that fits the virtual screen: a bare loop of BitBlt
// from the screen DC and GetDIBits of the whole frame, as fast as it goes,
// then pixark.ax (from the product folder, through COM) in Wine's graph at
// a requested 30 fps into a sink that does nothing. Prints frames per
// second and milliseconds of CPU per frame (GetThreadTimes of the capturing
// thread; the process's CPU from GetProcessTimes beside it) and the ratio
// of the two costs. Then the two ways of reading a window in a background
// capture, for a window of each size that draws itself for PrintWindow
// (WM_PRINTCLIENT, four quadrants): a BitBlt from its DC against a
// PrintWindow into a DIB section, each followed by the copy into the frame
// and GetDIBits, CPU per frame of the whole process (the window's own
// drawing counts for PrintWindow); and the filter at 30 fps on such a window
// drawn for PrintWindow only, which it reads through PrintWindow after its
// first second. Timings only report; the exit code is 1 only when a
// measurement could not be made at all.

#include <windows.h>

#include <control.h>
#include <strmif.h>

#include <uuids.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench/pixark/NullSink.h"
#include "companions/pixark/FrameLayout.h"
#include "companions/pixark/PixarkStats.h"
#include "framework/base/ComPtr.h"
#include "framework/win/Handles.h"
#include "framework/win/RgbBitmapInfo.h"
#include "graph/ScreenCaptureSettings.h"

namespace {

constexpr int32_t kRequestedFps = 30;

LONGLONG Value(const FILETIME& f) {
    return static_cast<LONGLONG>((static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime);
}

LONGLONG ThreadCpu() {
    FILETIME c, e, k, u;
    return ::GetThreadTimes(::GetCurrentThread(), &c, &e, &k, &u) ? Value(k) + Value(u) : 0;
}

LONGLONG ProcessCpu() {
    FILETIME c, e, k, u;
    return ::GetProcessTimes(::GetCurrentProcess(), &c, &e, &k, &u) ? Value(k) + Value(u) : 0;
}

double Seconds() {
    LARGE_INTEGER t, f;
    ::QueryPerformanceCounter(&t);
    ::QueryPerformanceFrequency(&f);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

void Pump(DWORD ms) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        const DWORD spent = ::GetTickCount() - start;
        if (spent >= ms) return;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
    }
}

struct Figures {
    bool ok = false;
    double fps = 0;
    double cpuMs = 0;      // per frame, the capturing thread
    double processMs = 0;  // per frame, the whole process
    long frames = 0, dropped = 0;
};

// Runs `frame` (false: it failed) for `seconds`. paceFps 0: as fast as it
// goes; else one frame per 1/paceFps seconds, the thread sleeping in
// between, as the filter does.
template <class Frame>
Figures Timed(double seconds, int32_t paceFps, Frame frame) {
    Figures r;
    const LONGLONG cpu0 = ThreadCpu(), proc0 = ProcessCpu();
    const double t0 = Seconds();
    double t = t0;
    while (t - t0 < seconds) {
        if (!frame()) return Figures{};
        ++r.frames;
        t = Seconds();
        if (paceFps > 0) {
            const double due = t0 + static_cast<double>(r.frames) / paceFps;
            if (due > t) ::Sleep(static_cast<DWORD>((due - t) * 1000.0) + 1);
            t = Seconds();
        }
    }
    r.ok = r.frames > 0;
    r.fps = r.frames / (t - t0);
    r.cpuMs = (ThreadCpu() - cpu0) / 1e4 / r.frames;
    r.processMs = (ProcessCpu() - proc0) / 1e4 / r.frames;
    return r;
}

// The screen's rectangle at (0, 0) copied into a bitmap and read out.
Figures BareLoop(int32_t w, int32_t h, int32_t bits, double seconds, int32_t paceFps) {
    win::WindowDC screen(nullptr);
    win::MemoryDC memory(::CreateCompatibleDC(screen.Get()));
    win::Bitmap bitmap(::CreateCompatibleBitmap(screen.Get(), w, h));
    if (!screen || !memory || !bitmap) return Figures{};
    std::vector<BYTE> buffer(pixark::FrameBytes(w, h, bits));
    BITMAPINFO bmi = win::RgbBitmapInfo(w, h, static_cast<WORD>(bits));
    return Timed(seconds, paceFps, [&] {
        {
            win::ScopedSelectObject selected(memory.Get(), bitmap.Get());
            if (!::BitBlt(memory.Get(), 0, 0, w, h, screen.Get(), 0, 0, SRCCOPY)) return false;
        }
        return ::GetDIBits(memory.Get(), bitmap.Get(), 0, static_cast<UINT>(h), buffer.data(), &bmi, DIB_RGB_COLORS) ==
               h;
    });
}

// A window of the bench at (0, 0) on a thread of its own, drawing four
// quadrants for PrintWindow only: on the screen it stays black.
class PrintedWindow {
public:
    PrintedWindow(int w, int h) {
        m_thread = std::thread([this, w, h] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = Proc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"PixarkBenchPrinted";
            ::RegisterClassW(&wc);
            HWND window = ::CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"Printed", WS_POPUP | WS_VISIBLE, 0, 0, w,
                                            h, nullptr, nullptr, wc.hInstance, nullptr);
            m_window = window;
            MSG msg;
            while (window && ::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
            if (window) ::DestroyWindow(window);
        });
        while (!m_window.load() && m_thread.joinable()) ::Sleep(5);
        m_threadId = ::GetWindowThreadProcessId(m_window.load(), nullptr);
        Pump(300);
    }
    ~PrintedWindow() {
        ::PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
    }
    HWND Window() const { return m_window.load(); }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        RECT r{};
        ::GetClientRect(hwnd, &r);
        if (msg == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(hwnd, &ps);
            ::FillRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
            ::EndPaint(hwnd, &ps);
            return 0;
        }
        if (msg == WM_ERASEBKGND) return 1;
        if (msg != WM_PRINTCLIENT) return ::DefWindowProcW(hwnd, msg, wp, lp);
        HDC dc = reinterpret_cast<HDC>(wp);
        const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0)};
        for (int i = 0; i < 4; ++i) {
            RECT q{i % 2 ? r.right / 2 : 0, i / 2 ? r.bottom / 2 : 0, i % 2 ? r.right : r.right / 2,
                   i / 2 ? r.bottom : r.bottom / 2};
            win::Brush brush(::CreateSolidBrush(colours[i]));
            ::FillRect(dc, &q, brush.Get());
        }
        return 0;
    }

    std::atomic<HWND> m_window{nullptr};
    DWORD m_threadId = 0;
    std::thread m_thread;
};

// The window read through its DC, or through PrintWindow into a DIB section,
// then copied into the frame's bitmap and read out, as the filter does, for
// `seconds` flat out.
Figures WindowLoop(HWND window, int32_t w, int32_t h, bool print, double seconds) {
    win::WindowDC screen(nullptr);
    win::MemoryDC memory(::CreateCompatibleDC(screen.Get())), printDc(::CreateCompatibleDC(screen.Get()));
    win::Bitmap bitmap(::CreateCompatibleBitmap(screen.Get(), w, h));
    // At the screen's depth where that is 24 bits, as the filter's.
    const BITMAPINFO section = win::RgbBitmapInfo(w, -h, ::GetDeviceCaps(screen.Get(), BITSPIXEL) == 24 ? 24 : 32);
    void* bits = nullptr;
    win::Bitmap printed(::CreateDIBSection(printDc.Get(), &section, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!screen || !memory || !printDc || !bitmap || !printed) return Figures{};
    std::vector<BYTE> buffer(pixark::FrameBytes(w, h, 32));
    BITMAPINFO bmi = win::RgbBitmapInfo(w, h, 32);
    return Timed(seconds, 0, [&] {
        {
            win::ScopedSelectObject selected(memory.Get(), bitmap.Get());
            if (print) {
                win::ScopedSelectObject into(printDc.Get(), printed.Get());
                ::PatBlt(printDc.Get(), 0, 0, w, h, BLACKNESS);
                if (!::PrintWindow(window, printDc.Get(), 2)) return false;
                if (!::BitBlt(memory.Get(), 0, 0, w, h, printDc.Get(), 0, 0, SRCCOPY)) return false;
            } else {
                win::WindowDC dc(window);
                if (!::BitBlt(memory.Get(), 0, 0, w, h, dc.Get(), 0, 0, SRCCOPY)) return false;
            }
        }
        return ::GetDIBits(memory.Get(), bitmap.Get(), 0, static_cast<UINT>(h), buffer.data(), &bmi, DIB_RGB_COLORS) ==
               h;
    });
}

// window: 0 for the screen, else a background capture of that window.
Figures Filter(int32_t w, int32_t h, int32_t bits, DWORD ms, HWND window = nullptr) {
    Figures r;
    ComPtr<IBaseFilter> filter;
    if (FAILED(::CoCreateInstance(kScreenCaptureFilterClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                  reinterpret_cast<void**>(&filter))))
        return r;
    ComPtr<IScreenCaptureSettings> settings;
    ComPtr<IPixarkStats> stats;
    if (FAILED(filter->QueryInterface(__uuidof(IScreenCaptureSettings), reinterpret_cast<void**>(&settings))) ||
        FAILED(filter->QueryInterface(__uuidof(IPixarkStats), reinterpret_cast<void**>(&stats))))
        return r;
    const int32_t handle = static_cast<int32_t>(reinterpret_cast<LONG_PTR>(window));
    if (FAILED(settings->SetCaptureSettings(kRequestedFps, bits, 0, 0, w, h, 1, 3000, 1, 0, 0, handle, window ? 1 : 0,
                                            0, 100, 0)))
        return r;
    ComPtr<IGraphBuilder> graph;
    ComPtr<IMediaControl> control;
    if (FAILED(::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                  reinterpret_cast<void**>(&graph))) ||
        FAILED(graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control))))
        return r;
    NullSink* sink = NullSink::Create();
    ComPtr<IBaseFilter> sinkFilter;
    sinkFilter.Attach(sink);
    ComPtr<IEnumPins> pins;
    ComPtr<IPin> out;
    if (FAILED(graph->AddFilter(filter.Get(), L"Pixark BCK")) || FAILED(graph->AddFilter(sinkFilter.Get(), L"Sink")) ||
        FAILED(filter->EnumPins(&pins)) || pins->Next(1, &out, nullptr) != S_OK ||
        FAILED(graph->ConnectDirect(out.Get(), sink->InputPin(), nullptr)))
        return r;
    if (FAILED(control->Run())) return r;
    // The first second (Wine starts the stream 200 ms after Run; a window
    // drawn for PrintWindow only is read through its DC that long) is left
    // out: the figures are the steady state.
    Pump(window ? 1500 : 1000);
    LONG delivered0 = 0, dropped0 = 0, delivered = 0, dropped = 0;
    LONGLONG cpu0 = 0, cpu = 0;
    stats->GetFrameCounts(&delivered0, &dropped0);
    stats->GetStreamCpuTime(&cpu0);
    const LONGLONG proc0 = ProcessCpu();
    const double t0 = Seconds();
    Pump(ms);
    stats->GetFrameCounts(&delivered, &dropped);
    stats->GetStreamCpuTime(&cpu);
    const LONGLONG proc1 = ProcessCpu();
    const double elapsed = Seconds() - t0;
    control->Stop();
    r.frames = delivered - delivered0;
    r.dropped = dropped - dropped0;
    r.ok = r.frames > 0;
    if (!r.ok) return r;
    r.fps = r.frames / elapsed;
    r.cpuMs = (cpu - cpu0) / 1e4 / r.frames;
    r.processMs = (proc1 - proc0) / 1e4 / r.frames;
    return r;
}

DWORD Run(const std::wstring& commandLine) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = commandLine;
    if (!::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 9999;
    win::Handle process(pi.hProcess), thread(pi.hThread);
    ::WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 9998;
    ::GetExitCodeProcess(pi.hProcess, &code);
    return code;
}

std::wstring PixarkPath() {
    wchar_t path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L"\\/") + 1) + L"..\\bin\\pixark.ax";
}

}  // namespace

int wmain() {
    win::ScopedComApartment com;
    const std::wstring dll = PixarkPath();
    if (Run(L"regsvr32.exe /s \"" + dll + L"\"") != 0) {
        std::printf("pixark_bench: cannot register %ls\n", dll.c_str());
        return 1;
    }
    const int sw = ::GetSystemMetrics(SM_CXVIRTUALSCREEN), sh = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    std::printf("pixark_bench: virtual screen %dx%d, filter at a requested %d fps\n", sw, sh, kRequestedFps);
    std::printf("%-10s %4s | %8s %7s %7s | %7s %7s %7s %7s | %6s %6s\n", "size", "bits", "bare fps", "bare ms",
                "@30 ms", "pix fps", "dropped", "pix ms", "proc ms", "ratio", "@30");
    int failures = 0;
    const int sizes[][2] = {{1280, 720}, {1920, 1080}};
    for (const auto& size : sizes) {
        for (int32_t bits : {32, 24}) {
            if (size[0] > sw || size[1] > sh) {
                std::printf("%4dx%-5d %4d | skipped: larger than the screen\n", size[0], size[1], bits);
                continue;
            }
            const Figures bare = BareLoop(size[0], size[1], bits, 3.0, 0);
            const Figures paced = BareLoop(size[0], size[1], bits, 3.0, kRequestedFps);
            const Figures pix = Filter(size[0], size[1], bits, 5000);
            if (!bare.ok || !paced.ok || !pix.ok) {
                std::printf("%4dx%-5d %4d | measurement failed (bare %d, filter %d)\n", size[0], size[1], bits, bare.ok,
                            pix.ok);
                ++failures;
                continue;
            }
            std::printf("%4dx%-5d %4d | %8.1f %7.2f %7.2f | %7.1f %7ld %7.2f %7.2f | %6.2f %6.2f\n", size[0], size[1],
                        bits, bare.fps, bare.cpuMs, paced.cpuMs, pix.fps, pix.dropped, pix.cpuMs, pix.processMs,
                        bare.cpuMs > 0 ? pix.cpuMs / bare.cpuMs : 0.0, paced.cpuMs > 0 ? pix.cpuMs / paced.cpuMs : 0.0);
        }
    }
    std::printf(
        "ms: CPU per frame of the capturing thread (bare: flat out; @30: the bare loop paced at 30 fps); proc ms: the "
        "whole process per delivered frame; ratio: pix ms / bare ms; @30: pix ms / @30 ms (goal <= 1.2)\n");
    std::printf("\nreading a window: CPU per frame, flat out\n");
    std::printf("%-10s | %7s %7s %7s | %8s %8s %8s | %6s %6s | %8s %7s\n", "size", "dc fps", "dc ms", "dc thr",
                "pw fps", "pw ms", "pw thr", "ratio", "thr", "filter", "dropped");
    const int windows[][2] = {{640, 360}, {1280, 720}, {1920, 1080}};
    for (const auto& size : windows) {
        if (size[0] > sw || size[1] > sh) {
            std::printf("%4dx%-5d | skipped: larger than the screen\n", size[0], size[1]);
            continue;
        }
        const PrintedWindow window(size[0], size[1]);
        const Figures dc = WindowLoop(window.Window(), size[0], size[1], false, 3.0);
        const Figures pw = WindowLoop(window.Window(), size[0], size[1], true, 3.0);
        const Figures pix = Filter(size[0], size[1], 32, 5000, window.Window());
        if (!dc.ok || !pw.ok || !pix.ok) {
            std::printf("%4dx%-5d | measurement failed (dc %d, PrintWindow %d, filter %d)\n", size[0], size[1], dc.ok,
                        pw.ok, pix.ok);
            ++failures;
            continue;
        }
        std::printf("%4dx%-5d | %7.1f %7.2f %7.2f | %8.1f %8.2f %8.2f | %6.2f %6.2f | %8.1f %7ld\n", size[0], size[1],
                    dc.fps, dc.processMs, dc.cpuMs, pw.fps, pw.processMs, pw.cpuMs,
                    dc.processMs > 0 ? pw.processMs / dc.processMs : 0.0, dc.cpuMs > 0 ? pw.cpuMs / dc.cpuMs : 0.0,
                    pix.fps, pix.dropped);
    }
    std::printf(
        "ms: the whole process (the window's drawing for PrintWindow included); thr: the reading thread alone; "
        "ratio: pw ms / dc ms (goal <= 1.5); thr: pw thr / dc thr; filter: frames per second delivered at a requested "
        "30 through "
        "PrintWindow (goal 30 at 1280x720)\n");
    Run(L"regsvr32.exe /s /u \"" + dll + L"\"");
    return failures == 0 ? 0 : 1;
}
