#pragma once
// The screen-capture source of the recording graph: the external filter
// (kScreenCaptureFilterClsid) created, handed its settings through
// IScreenCaptureSettings and added to the graph as "Pixark BCK". GUI thread
// only; every message goes through ShowMessage.

#include <windows.h>

#include "graph/ScreenCaptureSettings.h"

// Creates the filter into RecordingGraph().ScreenCaptureFilter, configures
// it, drops that instance and adds a second one, which starts with the
// settings the filter kept, to the graph as "Pixark BCK". False after the
// failure's messages ("Cannot create screen capture filter", "Cannot
// communicate with screen capture filter", or "Cannot add screen capture
// filter" then "Cannot add video filter (%s)").
bool CreateScreenCaptureFilter();

// Queries RecordingGraph().ScreenCaptureFilter for IScreenCaptureSettings
// and calls SetCaptureSettings with the values of ScreenCaptureArguments
// for the current settings, the tracked window, the background mode and the
// second display's scale. False when the query fails or gives nothing, or
// when the call fails. Shows nothing.
bool ConfigureScreenCapture();

// The settings interface of the latest configuration. It is kept for the
// rest of the run (the next configuration takes its place), so the
// configured instance lives at least as long as that.
IScreenCaptureSettings* KeptScreenCaptureSettings();
