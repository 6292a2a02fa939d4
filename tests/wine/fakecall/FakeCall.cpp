// fakecall.exe: the call window of an end-to-end recording. A top-level
// window of class "TConversationForm" titled "Bob", 420 x 250 (no frame, so
// the window is its client area), showing moving video: a pattern that
// changes with every frame and the frame number drawn large, plus the frame
// number as 16 blocks of 16 x 16 pixels along the top rows for machines
// (white = 1, most significant bit first, read at row 8, x = bit * 16 + 8).
//
// It plays the remote party's voice itself through the default speakers
// (winmm, 48000 Hz stereo), opened anew on the new default speakers when
// Windows tells it of them (IMMNotificationClient), as a call program does: a continuous 440 Hz tone with a 30 ms 2000
// Hz click every 5 s, the first 2.5 s after the start. From the moment its own output position (waveOutGetPosition)
// reaches a click, the window is white for 100 ms (all but the top block row), so the only offset left between flash
// and click in a recording is the recorder's.
//
// Frame numbers count thirtieths of a second since the start, so a recording
// at 30 fps sees them advance by one per frame.
//
// While white, the second row of blocks shows, as the top row does the frame
// number, the whole milliseconds from the flash's start to the paint (the
// window repaints each millisecond), so a capture of it says how long after
// the start it was taken.
//
// Messages: WM_APP + 1 closes the output device for wParam milliseconds (0:
// it reopens at once) and opens it again, playing blocks of lParam
// milliseconds from then on when that is not 0; the voice's timeline goes on
// as if it had played on (the clicks stay on their 5 s grid). WM_CLOSE ends
// the program.
// Command line: "/seconds N" ends it after N seconds, "/x X /y Y" places it,
// "/block MS" plays blocks of MS milliseconds (10), two of them queued, and
// "/flashes FILE" writes there, after a header of "#" lines, one line per
// flash: the moment the window turned white in seconds on the performance
// counter (under Wine 8 on Linux, CLOCK_MONOTONIC_RAW), the frame number it
// showed and the block in milliseconds, separated by spaces.
//
// The other Skype windows exist only when "/with" names them, comma
// separated: "live" (class "TLiveConversationWindow", title
// "LiveConversationWindow"), "main" ("tSkMainForm", "Skype - bob.main"),
// "monitor" ("TCallMonitorForm", "Bob - call") and "preview"
// ("ApplicationFrameWindow", "Skype Preview"); each is 300 x 200 and shows
// its name on a plain colour. A test drives any of the windows ("call" is
// the Bob window) with WM_COPYDATA sent to the Bob window, dwData
// kCommandTag, the data a UTF-16 command without terminating zero:
//   "move <window> X Y", "size <window> W H", "minimise <window>",
//   "restore <window>", "title <window> <text...>".
// SendMessage returns 1 when the command was carried out, 0 otherwise.
//
// "/video X Y" adds a video playing somewhere on the screen: a top-level
// window of class "FakeCallVideo" titled "Fake video", 640 x 360 at X, Y
// (no frame), whose every pixel changes with every frame: red (2 x + 5 f)
// mod 128, green (y + 3 f) mod 128, blue 160 + y mod 64 for frame f, so no
// pixel is ever grey and a pixel repeats only after 128 frames. Commands
// name it "video".

#include <windows.h>

#include <mmdeviceapi.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/base/ComPtr.h"
#include "framework/win/Handles.h"
#include "framework/win/RgbBitmapInfo.h"

namespace {

constexpr int kWidth = 420;
constexpr int kHeight = 250;
constexpr UINT_PTR kEndTimer = 2;
constexpr UINT kReopenMessage = WM_APP + 1;
constexpr ULONG_PTR kCommandTag = 0x46434D44;  // "FCMD"

constexpr DWORD kRate = 48000;
constexpr uint64_t kClickPeriod = 5 * kRate;
constexpr uint64_t kClickOffset = kRate * 5 / 2;
constexpr uint64_t kClickLength = kRate * 30 / 1000;
constexpr uint64_t kFlashLength = kRate / 10;
// Wine's winmm counts a frame as played once it has handed it on, so the
// output position runs ahead by what is queued: the queue stays short.
constexpr int kBuffers = 2;

// The voice: one winmm output stream on its own thread, reopened on request.
class Voice {
public:
    ~Voice() { End(); }

    void Begin(DWORD blockMs) {
        m_nextBlockMs = blockMs;
        m_thread = std::thread(&Voice::Run, this);
    }
    void End() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
    }
    // Closes the device for gapMs, then plays blocks of blockMs (unchanged when 0).
    void Reopen(DWORD gapMs, DWORD blockMs) {
        m_gapMs = gapMs;
        if (blockMs) m_nextBlockMs = blockMs;
        m_reopen = true;
    }
    // The block of the device playing now.
    DWORD BlockMs() const { return m_blockMs; }

    // The voice's sample now playing, on its own timeline; -1 while no
    // device is open.
    int64_t PlayingSample() {
        std::lock_guard<std::mutex> lock(m_lock);
        if (!m_device) return -1;
        MMTIME t{};
        t.wType = TIME_SAMPLES;
        if (::waveOutGetPosition(m_device, &t, sizeof t) != MMSYSERR_NOERROR || t.wType != TIME_SAMPLES) return -1;
        return static_cast<int64_t>(m_openedAt + t.u.sample);
    }

private:
    static int16_t SampleAt(uint64_t n) {
        const double pi = 3.14159265358979323846;
        double v = 8000.0 * std::sin(2 * pi * 440.0 * static_cast<double>(n % kRate) / kRate);
        if (n >= kClickOffset && (n - kClickOffset) % kClickPeriod < kClickLength)
            v += 12000.0 * std::sin(2 * pi * 2000.0 * static_cast<double>(n % kRate) / kRate);
        return static_cast<int16_t>(v);
    }

    void Run() {
        uint64_t next = 0;  // the voice's next sample to write
        while (!m_stop) {
            if (!Open(next)) return;
            m_blockMs = m_nextBlockMs.load();
            const DWORD blockFrames = kRate * m_blockMs / 1000;
            std::vector<int16_t> data(static_cast<size_t>(kBuffers) * blockFrames * 2);
            WAVEHDR headers[kBuffers] = {};
            for (int i = 0; i < kBuffers; ++i) {
                headers[i].lpData = reinterpret_cast<LPSTR>(&data[static_cast<size_t>(i) * blockFrames * 2]);
                headers[i].dwBufferLength = blockFrames * 4;
                ::waveOutPrepareHeader(m_device, &headers[i], sizeof(WAVEHDR));
                headers[i].dwFlags |= WHDR_DONE;
            }
            while (!m_stop && !m_reopen) {
                bool wrote = false;
                for (auto& h : headers) {
                    if (!(h.dwFlags & WHDR_DONE)) continue;
                    auto* out = reinterpret_cast<int16_t*>(h.lpData);
                    for (DWORD i = 0; i < blockFrames; ++i) out[2 * i] = out[2 * i + 1] = SampleAt(next + i);
                    next += blockFrames;
                    h.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
                    ::waveOutWrite(m_device, &h, sizeof(WAVEHDR));
                    wrote = true;
                }
                if (!wrote) ::Sleep(1);
            }
            // Closing ends the stream at once: what was queued is not played.
            const int64_t played = PlayingSample();
            ::waveOutReset(m_device);
            for (auto& h : headers) ::waveOutUnprepareHeader(m_device, &h, sizeof(WAVEHDR));
            {
                std::lock_guard<std::mutex> lock(m_lock);
                ::waveOutClose(m_device);
                m_device = nullptr;
            }
            if (m_stop) return;
            m_reopen = false;
            const DWORD gap = m_gapMs.exchange(0);
            ::Sleep(gap);
            next = (played >= 0 ? static_cast<uint64_t>(played) : next) + static_cast<uint64_t>(gap) * kRate / 1000;
        }
    }

    bool Open(uint64_t at) {
        WAVEFORMATEX wfx{WAVE_FORMAT_PCM, 2, kRate, kRate * 4, 4, 16, 0};
        HWAVEOUT device = nullptr;
        if (::waveOutOpen(&device, WAVE_MAPPER, &wfx, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
            std::fprintf(stderr, "fakecall: waveOutOpen failed\n");
            return false;
        }
        std::lock_guard<std::mutex> lock(m_lock);
        m_device = device;
        m_openedAt = at;
        return true;
    }

    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_reopen{false};
    std::atomic<DWORD> m_gapMs{0};
    std::atomic<DWORD> m_nextBlockMs{10};
    std::atomic<DWORD> m_blockMs{10};
    std::mutex m_lock;  // guards the device handle and its timeline origin
    HWAVEOUT m_device = nullptr;
    uint64_t m_openedAt = 0;
};

Voice g_voice;

// Told of a new default output, the voice plays on it. One for the life of
// the program: it is never deleted.
class DefaultOutputWatch : public IMMNotificationClient {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid != IID_IUnknown && riid != __uuidof(IMMNotificationClient)) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = static_cast<IMMNotificationClient*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow flow, ERole role, LPCWSTR) override {
        if (flow == eRender && role == eConsole) g_voice.Reopen(0, 0);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override { return S_OK; }
};

DefaultOutputWatch g_outputWatch;
DWORD g_startTick = 0;
std::unique_ptr<FILE, int (*)(FILE*)> g_flashLog(nullptr, &std::fclose);  // "/flashes", the window's thread's
// What the window shows (the window's thread alone touches it).
int g_frame = -1;
bool g_flash = false;
double g_flashStart = 0;  // seconds on the performance counter
int g_flashElapsed = 0;   // whole milliseconds since then, as shown

double CounterSeconds() {
    LARGE_INTEGER now, frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool FlashingNow() {
    const int64_t n = g_voice.PlayingSample();
    if (n < static_cast<int64_t>(kClickOffset)) return false;
    return static_cast<uint64_t>(n - static_cast<int64_t>(kClickOffset)) % kClickPeriod < kFlashLength;
}

// A 16-bit number as 16 blocks of 16 x 16 pixels from (0, top), white = 1.
void DrawCounter(HDC dc, int top, int value) {
    win::Brush one(::CreateSolidBrush(RGB(255, 255, 255)));
    win::Brush zero(::CreateSolidBrush(RGB(0, 0, 0)));
    for (int bit = 0; bit < 16; ++bit) {
        RECT r{bit * 16, top, bit * 16 + 16, top + 16};
        ::FillRect(dc, &r, (value >> (15 - bit)) & 1 ? one.Get() : zero.Get());
    }
}

void Paint(HDC dc) {
    win::MemoryDC memory(::CreateCompatibleDC(dc));
    win::Bitmap bitmap(::CreateCompatibleBitmap(dc, kWidth, kHeight));
    if (!memory || !bitmap) return;
    win::ScopedSelectObject selectBitmap(memory.Get(), bitmap.Get());
    HDC m = memory.Get();
    const int frame = g_frame < 0 ? 0 : g_frame;
    RECT all{0, 0, kWidth, kHeight};
    if (g_flash) {
        win::Brush white(::CreateSolidBrush(RGB(255, 255, 255)));
        ::FillRect(m, &all, white.Get());
        DrawCounter(m, 16, g_flashElapsed);
    } else {
        // Dark moving stripes whose colour and place change every frame.
        win::Brush back(::CreateSolidBrush(RGB(20 + frame * 7 % 60, 30, 40 + frame * 3 % 50)));
        ::FillRect(m, &all, back.Get());
        win::Brush stripe(::CreateSolidBrush(RGB(40, 90 + frame * 11 % 100, 60)));
        for (int x = (frame * 6) % 60 - 60; x < kWidth; x += 60) {
            RECT r{x, 16, x + 20, kHeight};
            ::FillRect(m, &r, stripe.Get());
        }
        win::Font font(::CreateFontW(120, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                     CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, L"Tahoma"));
        win::ScopedSelectObject selectFont(m, font.Get());
        ::SetBkMode(m, TRANSPARENT);
        ::SetTextColor(m, RGB(230, 230, 120));
        wchar_t text[16];
        std::swprintf(text, 16, L"%d", frame);
        RECT r{0, 40, kWidth, kHeight};
        ::DrawTextW(m, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    // The machine-readable frame number.
    DrawCounter(m, 0, frame);
    win::Brush black(::CreateSolidBrush(RGB(0, 0, 0)));
    RECT rest{256, 0, kWidth, 16};
    ::FillRect(m, &rest, black.Get());
    ::BitBlt(dc, 0, 0, kWidth, kHeight, m, 0, 0, SRCCOPY);
}

// The video of "/video": drawn whole each frame from a top-down DIB.
constexpr int kVideoWidth = 640;
constexpr int kVideoHeight = 360;
HWND g_video = nullptr;

void PaintVideo(HDC dc) {
    static std::vector<uint32_t> pixels(static_cast<size_t>(kVideoWidth) * kVideoHeight);
    const int frame = g_frame < 0 ? 0 : g_frame;
    for (int y = 0; y < kVideoHeight; ++y) {
        const uint32_t blue = 160u + static_cast<uint32_t>(y & 63);
        const uint32_t green = static_cast<uint32_t>((y + frame * 3) & 0x7F);
        uint32_t* row = &pixels[static_cast<size_t>(y) * kVideoWidth];
        for (int x = 0; x < kVideoWidth; ++x) {
            const uint32_t red = static_cast<uint32_t>((x * 2 + frame * 5) & 0x7F);
            row[x] = blue | green << 8 | red << 16;
        }
    }
    const BITMAPINFO info = win::RgbBitmapInfo(kVideoWidth, -kVideoHeight, 32);  // top-down
    ::SetDIBitsToDevice(dc, 0, 0, kVideoWidth, kVideoHeight, 0, 0, 0, kVideoHeight, pixels.data(), &info,
                        DIB_RGB_COLORS);
}

LRESULT CALLBACK VideoWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT: {
            win::PaintDC dc(hwnd);
            PaintVideo(dc.Get());
            return 0;
        }
        case WM_PRINTCLIENT:
            PaintVideo(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_ERASEBKGND:
            return 1;
        default:
            return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

bool MakeVideoWindow(HINSTANCE instance, int x, int y) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = VideoWindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"FakeCallVideo";
    if (!::RegisterClassW(&wc)) return false;
    g_video = ::CreateWindowExW(0, wc.lpszClassName, L"Fake video", WS_POPUP | WS_VISIBLE, x, y, kVideoWidth,
                                kVideoHeight, nullptr, nullptr, instance, nullptr);
    return g_video != nullptr;
}

// Paints a frame as soon as its thirtieth of a second begins (or the flash
// turns), within a millisecond, so that a capture at 30 fps never meets a
// frame drawn late.
void Tick(HWND hwnd) {
    const int frame = static_cast<int>((::GetTickCount() - g_startTick) * 30ull / 1000);
    const bool flash = FlashingNow();
    const double now = CounterSeconds();
    const bool began = flash && !g_flash;
    if (began) g_flashStart = now;
    const int elapsed = flash ? static_cast<int>((now - g_flashStart) * 1000) & 0xFFFF : 0;
    if (frame == g_frame && flash == g_flash && elapsed == g_flashElapsed) return;
    const bool newFrame = frame != g_frame;
    g_frame = frame;
    if (g_video && newFrame) {
        win::WindowDC videoDc(g_video);
        PaintVideo(videoDc.Get());
    }
    g_flash = flash;
    g_flashElapsed = elapsed;
    {
        win::WindowDC dc(hwnd);
        Paint(dc.Get());
    }
    if (began && g_flashLog) {
        std::fprintf(g_flashLog.get(), "%.7f %d %lu\n", g_flashStart, frame,
                     static_cast<unsigned long>(g_voice.BlockMs()));
        std::fflush(g_flashLog.get());
    }
}

// The other Skype windows, made when the command line asks for them.
struct OtherWindow {
    const wchar_t* name;  // in "/with" and in commands
    const wchar_t* windowClass;
    const wchar_t* title;
    int x, y;
    COLORREF colour;
    HWND hwnd;
};
OtherWindow g_others[] = {
    {L"live", L"TLiveConversationWindow", L"LiveConversationWindow", 40, 420, RGB(120, 40, 40), nullptr},
    {L"main", L"tSkMainForm", L"Skype - bob.main", 360, 420, RGB(40, 120, 40), nullptr},
    {L"monitor", L"TCallMonitorForm", L"Bob - call", 680, 420, RGB(40, 40, 120), nullptr},
    {L"preview", L"ApplicationFrameWindow", L"Skype Preview", 1000, 420, RGB(120, 120, 40), nullptr},
};
HWND g_call = nullptr;

LRESULT CALLBACK OtherWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT: {
            win::PaintDC dc(hwnd);
            RECT client{};
            ::GetClientRect(hwnd, &client);
            COLORREF colour = RGB(80, 80, 80);
            const wchar_t* name = L"";
            for (const OtherWindow& w : g_others)
                if (w.hwnd == hwnd) colour = w.colour, name = w.name;
            win::Brush brush(::CreateSolidBrush(colour));
            ::FillRect(dc.Get(), &client, brush.Get());
            ::SetBkMode(dc.Get(), TRANSPARENT);
            ::SetTextColor(dc.Get(), RGB(255, 255, 255));
            ::DrawTextW(dc.Get(), name, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        default:
            return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

HWND WindowNamed(const std::wstring& name) {
    if (name == L"call") return g_call;
    if (name == L"video") return g_video;
    for (const OtherWindow& w : g_others)
        if (name == w.name) return w.hwnd;
    return nullptr;
}

// "<verb> <window> [arguments]"; true when carried out.
bool RunCommand(const std::wstring& command) {
    const size_t verbEnd = command.find(L' ');
    if (verbEnd == std::wstring::npos) return false;
    const std::wstring verb = command.substr(0, verbEnd);
    const size_t nameEnd = command.find(L' ', verbEnd + 1);
    const std::wstring name =
        command.substr(verbEnd + 1, nameEnd == std::wstring::npos ? nameEnd : nameEnd - verbEnd - 1);
    const std::wstring rest = nameEnd == std::wstring::npos ? std::wstring() : command.substr(nameEnd + 1);
    HWND target = WindowNamed(name);
    if (!target) return false;
    int a = 0, b = 0;
    const bool twoNumbers = std::swscanf(rest.c_str(), L"%d %d", &a, &b) == 2;
    if (verb == L"move" && twoNumbers)
        return ::SetWindowPos(target, nullptr, a, b, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
    if (verb == L"size" && twoNumbers && a > 0 && b > 0)
        return ::SetWindowPos(target, nullptr, 0, 0, a, b, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
    if (verb == L"minimise" && rest.empty()) {
        ::ShowWindow(target, SW_MINIMIZE);
        return ::IsIconic(target) != FALSE;
    }
    if (verb == L"restore" && rest.empty()) {
        ::ShowWindow(target, SW_RESTORE);
        return ::IsIconic(target) == FALSE;
    }
    if (verb == L"title") return ::SetWindowTextW(target, rest.c_str()) != FALSE;
    return false;
}

LRESULT OnCopyData(const COPYDATASTRUCT* data) {
    // A command longer than this is no command of ours.
    constexpr DWORD kLongestCommand = 4096 * sizeof(wchar_t);
    if (!data || data->dwData != kCommandTag || !data->lpData || data->cbData % sizeof(wchar_t) != 0 ||
        data->cbData > kLongestCommand)
        return 0;
    const std::wstring command(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
    return RunCommand(command) ? 1 : 0;
}

// Makes the windows "/with" names ("live,main,..."); false when one cannot be made.
bool MakeOtherWindows(HINSTANCE instance, const std::wstring& with) {
    for (OtherWindow& w : g_others) {
        const std::wstring list = L"," + with + L",";
        if (list.find(L"," + std::wstring(w.name) + L",") == std::wstring::npos) continue;
        WNDCLASSW wc{};
        wc.lpfnWndProc = OtherWindowProc;
        wc.hInstance = instance;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = w.windowClass;
        if (!::RegisterClassW(&wc)) return false;
        w.hwnd = ::CreateWindowExW(0, w.windowClass, w.title, WS_POPUP | WS_VISIBLE, w.x, w.y, 300, 200, nullptr,
                                   nullptr, instance, nullptr);
        if (!w.hwnd) return false;
    }
    return true;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_COPYDATA:
            return OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        case WM_PAINT: {
            win::PaintDC dc(hwnd);
            Paint(dc.Get());
            return 0;
        }
        case WM_PRINTCLIENT:
            Paint(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_TIMER:
            if (wParam == kEndTimer) ::DestroyWindow(hwnd);
            return 0;
        case kReopenMessage:
            g_voice.Reopen(static_cast<DWORD>(wParam), static_cast<DWORD>(lParam));
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

int Argument(int argc, wchar_t** argv, const wchar_t* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::wcscmp(argv[i], name) == 0) return std::wcstol(argv[i + 1], nullptr, 10);
    return fallback;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    const int seconds = argv ? Argument(argc, argv, L"/seconds", 0) : 0;
    const int x = argv ? Argument(argc, argv, L"/x", 500) : 500;
    const int y = argv ? Argument(argc, argv, L"/y", 300) : 300;
    const int blockMs = argv ? Argument(argc, argv, L"/block", 10) : 10;
    std::wstring with, flashes;
    for (int i = 1; argv && i + 1 < argc; ++i) {
        if (std::wcscmp(argv[i], L"/with") == 0) with = argv[i + 1];
        if (std::wcscmp(argv[i], L"/flashes") == 0) flashes = argv[i + 1];
    }
    bool video = false;
    int videoX = 0, videoY = 0;
    for (int i = 1; argv && i + 2 < argc; ++i)
        if (std::wcscmp(argv[i], L"/video") == 0) {
            video = true;
            videoX = std::wcstol(argv[i + 1], nullptr, 10);
            videoY = std::wcstol(argv[i + 2], nullptr, 10);
        }
    if (argv) ::LocalFree(argv);
    if (blockMs < 1 || blockMs > 1000) return 1;
    if (!flashes.empty()) {
        g_flashLog.reset(::_wfopen(flashes.c_str(), L"w"));
        if (!g_flashLog) return 1;
        std::fputs(
            "# fakecall flashes: the moment the window turned white (seconds on the performance counter),\n"
            "# the frame number it showed, the playback block (ms)\n",
            g_flashLog.get());
        std::fflush(g_flashLog.get());
    }

    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"TConversationForm";
    if (!::RegisterClassW(&wc)) return 1;
    HWND hwnd = ::CreateWindowExW(0, wc.lpszClassName, L"Bob", WS_POPUP | WS_VISIBLE, x, y, kWidth, kHeight, nullptr,
                                  nullptr, instance, nullptr);
    if (!hwnd) return 1;
    g_call = hwnd;
    if (!with.empty() && !MakeOtherWindows(instance, with)) return 1;
    if (video && !MakeVideoWindow(instance, videoX, videoY)) return 1;
    ::timeBeginPeriod(1);
    g_startTick = ::GetTickCount();
    g_voice.Begin(static_cast<DWORD>(blockMs));
    win::ScopedComApartment com(COINIT_MULTITHREADED);
    ComPtr<IMMDeviceEnumerator> devices;
    if (FAILED(::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                                  reinterpret_cast<void**>(&devices))) ||
        FAILED(devices->RegisterEndpointNotificationCallback(&g_outputWatch)))
        std::fprintf(stderr, "fakecall: no notifications of a new default output\n");
    if (seconds > 0) ::SetTimer(hwnd, kEndTimer, static_cast<UINT>(seconds) * 1000, nullptr);
    // The window's own thread paints (what another thread draws reaches the
    // screen late under Wine): it wakes every millisecond between messages.
    MSG msg;
    bool running = true;
    while (running) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                running = false;
                break;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (running) Tick(hwnd);
    }
    if (devices) devices->UnregisterEndpointNotificationCallback(&g_outputWatch);
    g_voice.End();
    ::timeEndPeriod(1);
    return 0;
}
