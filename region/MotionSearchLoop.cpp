#include "region/MotionSearchLoop.h"

#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <limits>

#include "region/FramePair.h"
#include "region/MotionScan.h"

namespace {

constexpr int kFirstDelay = 1000;
constexpr int kQuietPauseMs = 150;
constexpr int kErrorWaitMs = 1000;
constexpr int kQuietEndWaitMs = 2000;
// Longest trace line; every line the search writes is far shorter.
constexpr size_t kTraceLineCapacity = 512;

std::wstring FormatLine(const wchar_t* format, va_list args) {
    wchar_t buffer[kTraceLineCapacity];
    buffer[0] = L'\0';
    const int written = std::vswprintf(buffer, kTraceLineCapacity, format, args);
    buffer[kTraceLineCapacity - 1] = L'\0';
    if (written < 0) return std::wstring(buffer);
    return std::wstring(buffer, static_cast<size_t>(written) < kTraceLineCapacity ? static_cast<size_t>(written)
                                                                                  : kTraceLineCapacity - 1);
}

// The trace prints counts as int; no screen has more pixels than that.
int Clamped(uint64_t value) {
    return value > static_cast<uint64_t>(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                                          : static_cast<int>(value);
}
int Clamped(int64_t value) { return value < 0 ? 0 : Clamped(static_cast<uint64_t>(value)); }

std::wstring Format(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = FormatLine(format, args);
    va_end(args);
    return text;
}

// The scans' part of the trace.
class TraceObserver : public ScanObserver {
public:
    explicit TraceObserver(MotionSearchSystem& system) : m_system(system) {}
    void SpanOpened(int line) override { m_system.Trace(Format(L"\r\n\r\nline=%d", line)); }
    void ForwardRowEnded(int leftCol, int rightCol) override {
        m_system.Trace(Format(L" xLeft=%d, width=%d", leftCol, rightCol - leftCol));
    }
    void EdgeRecorded(int line) override { m_system.Trace(Format(L"\r\n\r\nline=%d", line)); }
    void ReverseRowEnded(int leftCol, int rightEdge) override {
        m_system.Trace(Format(L" xLeft=%d, xRight=%d", leftCol, rightEdge));
    }

private:
    MotionSearchSystem& m_system;
};

}  // namespace

int NextGrabDelay(int delay) {
    delay -= 100;
    return delay <= 100 ? kFirstDelay : delay;
}

MotionSearchLoop::MotionSearchLoop(MotionSearchSystem& system, const SearchMetrics& metrics,
                                   const std::atomic<bool>& cancel)
    : m_system(system), m_metrics(metrics), m_cancel(cancel) {}

void MotionSearchLoop::Trace(const wchar_t* format, ...) {
    if (!m_tracing) return;
    va_list args;
    va_start(args, format);
    const std::wstring text = FormatLine(format, args);
    va_end(args);
    m_system.Trace(text);
}

void MotionSearchLoop::EndWithError(const std::wstring& message, int waitMs) {
    m_system.ShowMessage(message);
    m_system.Report(MotionReport{MotionEnd::Error, ScreenRect{}});
    m_system.WaitPumping(waitMs);
}

void MotionSearchLoop::TraceHistory(int lastPass) {
    Trace(L"\r\n");
    for (int n = 0; n <= lastPass; ++n) {
        const AttemptFigures& f = m_history[static_cast<size_t>(n)];
        Trace(L"\r\n%d. max=%d max1=%d", n, f.leftVotes, f.spanEndVotes);
        Trace(L"\r\n%d. x1=%d y1=%d x2=%d y2=%d", n, f.xLeft, f.xRight, f.topY + m_metrics.edgeY,
              f.bottomY - m_metrics.edgeY);
    }
}

void MotionSearchLoop::Run() {
    m_tracing = m_system.Tracing();
    TraceObserver traceObserver(m_system);
    ScanObserver* observer = m_tracing ? &traceObserver : nullptr;
    int pass = 0;
    int quietAttempts = 0;
    int delay = kFirstDelay;
    for (;;) {
        const SearchArea area = m_system.Area();
        const int wd = std::abs(area.rect.right - area.rect.left);
        const int hd = std::abs(area.rect.bottom - area.rect.top);
        const uint64_t bytes64 = static_cast<uint64_t>(wd) * static_cast<uint64_t>(hd) * 4u;
        Trace(L"\r\nhd=%d lines wd=%d columns hTask=%d size=%d\r\n", hd, wd, std::abs(area.screenHeight - hd),
              Clamped(bytes64));

        FrameBuffer grabA;
        FrameBuffer grabB;
        const bool fits = bytes64 <= std::numeric_limits<size_t>::max();
        const size_t bytes = static_cast<size_t>(bytes64);
        if (!fits || !m_system.Allocate(grabA, bytes) || !m_system.Allocate(grabB, bytes)) {
            m_system.ShowMessage(L"Out Of Memory");
            // Not a grab error: the recorder window says no video was found.
            m_system.Report(MotionReport{MotionEnd::NoVideo, ScreenRect{}});
            m_system.WaitPumping(kErrorWaitMs);
            return;
        }

        int error = m_system.Grab(grabA.Data(), area.rect);
        if (error == 0) {
            delay = NextGrabDelay(delay);
            m_system.Sleep(delay);
            error = m_system.Grab(grabB.Data(), area.rect);
        }
        if (error != 0) {
            const std::wstring message = Format(L"\r\nERROR errorBitmap=%d", error);
            Trace(L"%ls", message.c_str());
            EndWithError(message, kErrorWaitMs);
            return;
        }
        Trace(L"\r\nsize=%d", Clamped(bytes64));
        Trace(L"\r\n%d,%d,%d,%d (width=%d height=%d\r\n\r\n)", area.rect.left, area.rect.top, area.rect.right,
              area.rect.bottom, wd, hd);

        m_rows.Clear();
        const FramePair frames{grabA.Data(), grabB.Data(), wd, hd};
        Trace(L"\r\n\r\n/////////////Left to Right //////////////////////////\r\n\r\n");
        const ForwardScanResult forward = ForwardScan(frames, m_rows, m_cancel, observer);
        if (!forward.cancelled) {
            Trace(L"\r\n\r\n/////////////Right to Left //////////////////////////\r\n\r\n");
            ReverseScan(frames, m_metrics.menuHeight, m_rows, m_cancel, observer);
            Trace(L"\r\n\r\n///////////// END SCAN j=%d ////////////////\r\n\r\n", m_rows.forwardRows);
        }
        grabA.Free();
        grabB.Free();
        if (m_cancel.load()) {
            m_system.Report(MotionReport{MotionEnd::Cancelled, ScreenRect{}});
            return;
        }

        if (forward.diffCount > kQuietDiffLimit) {
            quietAttempts = 0;
            const MotionRect rect = VoteRect(m_rows, forward.topY, forward.bottomY, m_metrics.edgeX);
            const int64_t walked = forward.pixelsWalked;
            Trace(L"\r\nj=%d\r\n", m_rows.forwardRows);
            Trace(L"\r\nmax=%d k=%d rowLeft=%d top=%d\r\n", rect.left.votes, rect.left.row, rect.left.value, rect.topY);
            Trace(L"\r\nmax=%d k=%d rowRight1=%d top=%d\r\n", rect.right.votes, rect.right.row, rect.right.value,
                  rect.topY);
            Trace(L"\r\nmax=%d k=%d rowRight=%d bottom=%d\r\n\r\n", rect.spanEnd.votes, rect.spanEnd.row,
                  rect.spanEnd.value, rect.bottomY);
            Trace(L"\r\n\r\nEND x=%d diff=%d %d%ls", Clamped(walked), Clamped(forward.diffCount),
                  Clamped(walked > 0 ? forward.diffCount * 100 / walked : 0), L"%");
            Trace(L"\r\n\r\nxTop=%d yTop=%d xBottom=%d yBottom=%d width=%d height=%d", rect.xLeft, rect.topY,
                  rect.xRight, rect.bottomY, rect.xRight - rect.xLeft, rect.bottomY - rect.topY);
            m_history[static_cast<size_t>(pass)] =
                AttemptFigures{rect.left.votes, rect.spanEnd.votes, rect.xLeft, rect.xRight, rect.topY, rect.bottomY};

            if (AcceptRect(pass, rect)) {
                TraceHistory(pass);
                const ScreenRect region{area.rect.left + rect.xLeft, area.rect.top + rect.topY,
                                        area.rect.left + rect.xRight, area.rect.top + rect.bottomY};
                m_system.Report(MotionReport{MotionEnd::Found, region});
                return;
            }
            if (pass >= kPassLimit) {
                TraceHistory(pass);
                m_system.Report(MotionReport{MotionEnd::NoVideo, ScreenRect{}});
                return;
            }
            ++pass;
        } else {
            Trace(L"\r\n\r\nEND (FAILED) x=%d diff=%d j=%d", Clamped(forward.pixelsWalked), Clamped(forward.diffCount),
                  m_rows.forwardRows);
            m_system.Sleep(kQuietPauseMs);
            if (++quietAttempts >= kQuietAttemptLimit) {
                m_system.Report(MotionReport{MotionEnd::NoVideo, ScreenRect{}});
                m_system.WaitPumping(kQuietEndWaitMs);
                return;
            }
        }
    }
}
