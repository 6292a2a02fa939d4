#pragma once
// The developer console: a rich-edit control in the main frame that shows
// every log line. Exists only in builds with the console switch on.

#include <windows.h>

// Creates the control (id 12345) over the frame's client area and makes it
// the log's sink; null when it cannot be created.
HWND CreateDevConsole(HWND frame);

// Empties it ("Clear").
void ClearDevConsole();
