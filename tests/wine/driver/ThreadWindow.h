#pragma once
// A window of the test on a thread of its own, with its own message loop,
// so that it answers messages while the test thread waits. Open() runs the
// creation on that thread and waits up to 5 s for the window; the
// destructor ends the loop, destroys the window and joins the thread.

#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>

#include "tests/wine/driver/Poll.h"

namespace driver {

class ThreadWindow {
public:
    ThreadWindow() = default;
    ThreadWindow(const ThreadWindow&) = delete;
    ThreadWindow& operator=(const ThreadWindow&) = delete;
    ~ThreadWindow() {
        if (!m_thread.joinable()) return;
        ::PostThreadMessageW(m_threadId.load(), kQuit, 0, 0);
        m_thread.join();
    }

    // `create` runs on the window's thread; a null result ends the thread.
    void Open(std::function<HWND()> create) {
        m_thread = std::thread([this, create = std::move(create)] {
            m_threadId = ::GetCurrentThreadId();
            HWND w = create();
            m_window = w;
            MSG msg;
            while (w && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
                if (msg.message == kQuit) break;
                ::DispatchMessageW(&msg);
            }
            if (w) ::DestroyWindow(w);
        });
        PollUntil(5000, [this] { return m_window.load() != nullptr; });
    }

    HWND Window() const { return m_window.load(); }

private:
    static constexpr UINT kQuit = WM_APP;
    std::thread m_thread;
    std::atomic<HWND> m_window{nullptr};
    std::atomic<DWORD> m_threadId{0};
};

}  // namespace driver
