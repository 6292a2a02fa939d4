#include "graph/RestoreHelper.h"

namespace {

UINT ScreenCaptureMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"screen capture message");
    return message;
}

}  // namespace

RestoreHelper::RestoreHelper() : m_window(::FindWindowW(nullptr, L"QrRestore")) {}

void RestoreHelper::Notify(WPARAM first, LPARAM second) const {
    if (m_window && ScreenCaptureMessage() != 0) ::PostMessageW(m_window, ScreenCaptureMessage(), first, second);
}
