#include "app/LauncherDisplays.h"

std::wstring CheckLauncherDisplays(int displayCount, int desktopWidth, int desktopHeight, LauncherValues& values) {
    if (displayCount >= 2 && values.w1 == 0 && values.w2 == 0)
        return L"Telvane could not determine your displays resolution. Make sure the file kq.exe was used to start "
               L"the program.";
    if (displayCount > 1 && values.w2 == 0)
        return L"Telvane could not determine your second display resolution. Make sure the file KQ.exe was used to "
               L"start the program.";
    if (displayCount == 1 && values.w1 == 0) {
        values.x1 = desktopWidth;
        values.y1 = desktopHeight;
        values.w1 = desktopWidth;
    }
    return std::wstring();
}

int DisplayScale1(int desktopWidth, int w1, int sizeSetting) {
    if (w1 == 0) return sizeSetting;
    return static_cast<int>(static_cast<long long>(desktopWidth) * 100 / w1);
}

double DisplayScale2(int display2Width, int w2) {
    if (w2 == 0) return 100.0;
    return display2Width * 100.0 / w2;
}
