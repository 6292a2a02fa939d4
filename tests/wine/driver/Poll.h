#pragma once
// Bounded polling. A driven program runs in another process and tells the
// test nothing: no event fires when it opens a window or writes a file, so
// the driver asks again at a fixed interval until a deadline.

#include <windows.h>

namespace driver {

constexpr DWORD kPollIntervalMs = 50;

// Calls done() until it returns true or timeoutMs has passed, sleeping
// kPollIntervalMs between calls; done() is called once more at the
// deadline, so a timeout of 0 is a single check. Returns done()'s last answer.
template <class Condition>
bool PollUntil(DWORD timeoutMs, Condition done) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (done()) return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) return false;
        const ULONGLONG left = deadline - now;
        ::Sleep(left < kPollIntervalMs ? static_cast<DWORD>(left) : kPollIntervalMs);
    }
}

}  // namespace driver
