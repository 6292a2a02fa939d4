#pragma once
// The settings file "settings_qr.ini" in the per-user folder "Telvane 2",
// its first-run copy from the shipped ".\settings_qr_init.ini", the reset
// from that file, and the corrections applied after every load. All calls
// come from the GUI thread; the system is reached through
// CurrentSettingsSystem().
//
// The file is one byte per character for ASCII and UTF-8 for the rest, CR LF
// line ends, in this layout:
//   Telvane Settings -- Do not delete or alter
//   *****************************************************  (53)
//   Recording Folder: ...        44 lines "key: value" in the order of
//   ...                          SettingsRecord's fields
//   (empty line)
//   *****************************************************
//   Made by Telvane              (no line break after it)

#include <string>

#include "settings/Settings.h"

// Start-up, once, before anything reads settings: finds the application-data
// folder, creates "Telvane 2" under it, copies the init file there unless a
// settings file exists, and refreshes the skin bitmaps' copies. False when a
// step failed (the caller goes on regardless).
bool PrepareSettingsFolder();

// Loads the file into Settings and applies the corrections. Returns 1, or 0
// when the default recordings folder had to be set and could not be written.
// A file that cannot be opened shows "Cannot find or open file %s. Cannot
// read settings" and ends the process with exit code 0.
int ReadSettings();

// Writes Settings to the file through a temporary file in the same folder
// that then replaces it in one step, so a crash or a failed write leaves the
// previous file whole. Returns 1, or 0 after showing "Cannot find or open
// file %s. Cannot save settings".
int WriteSettings();

// Start-up, right after the first ReadSettings: the first run, or a start by
// the installer, takes the init file's settings and marks "Setup" 1.
void ResetSettingsIfNeeded(bool installer);

// The "&Restore defaults" command once its callers have checked that no
// recording, motion search or marking runs: asks "Telvane will close after
// this\n\nContinue?" and on Yes puts the init file in place of the settings
// file. True when the caller must now close the program.
bool RestoreDefaults();

// Fills DurationText with "hh:mm:ss" for a number of seconds (hours may take
// more digits); negative counts as 0.
void FormatDuration(int seconds);

// "hh:mm:ss" for a number of seconds, each part with two digits at least
// (hours may take more); negative counts as 0.
std::wstring HoursMinutesSeconds(long long seconds);

// The file's exact bytes for a record.
std::string FormatSettingsText(const SettingsRecord& settings);

// The recording graph's run-time flags that every load clears; the graph
// sets this when it exists.
extern void (*ClearRecordingGraphFlags)();
