#pragma once
// The recorder window's layered style, refreshed after a graph is built:
// the screen-capture filter needs the window layered, and it is shown fully
// opaque.

#include <windows.h>

// Layered and transparent, opacity 255, then layered without the
// transparent style. Nothing for a null window.
void RefreshLayeredStyle(HWND recorder);
