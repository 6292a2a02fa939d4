#include "app/services/ShowMessage.h"

int ShowMessage(const std::wstring& text, UINT buttons) {
    return ::MessageBoxW(nullptr, text.c_str(), L"Telvane Message",
                         (buttons & MB_TYPEMASK) | MB_ICONWARNING | MB_TASKMODAL | MB_TOPMOST);
}
