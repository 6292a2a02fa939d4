#include "tests/wine/e2e/NotificationClock.h"

namespace {

constexpr wchar_t kClassName[] = L"TelvaneTestNotificationClock";
constexpr double kStopWaitSeconds = 0.9;

}  // namespace

double CounterSeconds() {
    LARGE_INTEGER now{}, frequency{};
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool NotificationClock::Open() {
    m_message = ::RegisterWindowMessageW(L"screen capture message");
    m_ready.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!m_message || !m_ready) return false;
    m_thread = std::thread(&NotificationClock::Run, this);
    ::WaitForSingleObject(m_ready.Get(), 5000);
    return m_window != nullptr;
}

void NotificationClock::Close() {
    if (!m_thread.joinable()) return;
    if (m_window) ::PostMessageW(m_window, WM_CLOSE, 0, 0);
    m_thread.join();
    m_window = nullptr;
}

std::vector<Notification> NotificationClock::Received() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_received;
}

void NotificationClock::Run() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    ::RegisterClassW(&wc);
    HWND window =
        ::CreateWindowExW(0, kClassName, L"QrRestore", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    if (window) ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_window = window;
    ::SetEvent(m_ready.Get());
    if (!window) return;
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == m_message && msg.hwnd == window) {
            std::lock_guard<std::mutex> lock(m_lock);
            m_received.push_back({msg.wParam, msg.lParam, CounterSeconds()});
            continue;
        }
        ::DispatchMessageW(&msg);
    }
}

LRESULT CALLBACK NotificationClock::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

double GraphRunningSeconds(const std::vector<Notification>& received) {
    double total = 0;
    bool starting = false, running = false;
    double since = 0, ending = -1;
    for (const Notification& n : received) {
        if (n.wParam == 8 && n.lParam == 7) {
            starting = true;
        } else if (n.wParam == 7 && n.lParam == 8) {
            if (starting) {
                starting = false;
                running = true;
                since = n.seconds;
            } else if (ending >= 0) {
                total += (n.seconds - ending >= kStopWaitSeconds ? n.seconds : ending) - since;
                ending = -1;
            }
        } else if (n.wParam == 7 && n.lParam == 7 && running) {
            running = false;
            ending = n.seconds;
        }
    }
    return total;
}
