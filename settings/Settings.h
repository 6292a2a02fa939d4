#pragma once
// The recorder's persistent options: one process-wide record, mirrored line
// by line in "settings_qr.ini" (SettingsFile.h reads and writes it). Other
// parts of the program read the fields by their key names, call ReadSettings
// to refresh before they act and WriteSettings at once after a change.
//
// Text fields are fixed wide buffers; their capacities count the
// terminating zero, so a 1000 field holds at most 999 characters. Whoever
// writes into one copies with a bound (CopyText in SettingsText.h).

#include <cstddef>

constexpr std::size_t kSettingsTextCapacity = 1000;  // folders and device names
constexpr std::size_t kSettingsShortCapacity = 100;  // "Hotkey", "Position"
constexpr std::size_t kSettingsPathCapacity = 1000;  // settings file and folders
constexpr std::size_t kDurationTextCapacity = 50;

// Fields in the order in which the file stores them.
struct SettingsRecord {
    wchar_t RecordingFolder[kSettingsTextCapacity] = {};  // "Recording Folder: "
    int Protocol = 1;                                     // 1 = Windows Media, 4 = AVI
    int VideoBitrate = 0;                                 // kilobits per second
    int AudioBitrate = 0;                                 // kilobits per second
    float FrameRate = 0;                                  // written with two decimals
    wchar_t AudioSource[kSettingsTextCapacity] = {};
    wchar_t AudioInput[kSettingsTextCapacity] = {};
    wchar_t AudioOutput[kSettingsTextCapacity] = {};
    int MaxFileTime = 0;  // seconds, 0 = unlimited
    int AudioOnly = 0;
    int VideoOnly = 0;
    int OnTop = 0;
    int VistaAudio = 0;
    int SetTopWindow = 0;
    int xTop = 0;  // capture region, virtual-screen pixels
    int yTop = 0;
    int xBottom = 0;
    int yBottom = 0;
    int Mpeg4 = 0;  // "MPEG-4: "
    int Bitcount = 0;
    int Filters = 0;
    int Cursor = 0;
    int Install = 0;
    int User = 0;  // default recordings folder: 0 = videos folder, 1 = public folder
    int Message = 0;
    int ShowVideo = 0;
    // The main window's run-time switch, stored under the first "AutoMark: "
    // key; never loaded back (every "AutoMark: " line sets AutoMark below).
    int AutoMarkSwitch = 0;
    int Basic = 0;
    int Defaults = 0;
    int Minimize = 0;  // written, never read
    int Size = 0;      // user-interface scale in percent
    int FullScreen = 0;
    int HideWindow = 0;
    wchar_t Hotkey[kSettingsShortCapacity] = {};
    int MiniClone = 0;
    int Monitor = 0;
    int DualAudio = 0;  // "Dual Audio: "
    wchar_t AudioSource1[kSettingsTextCapacity] = {};
    wchar_t AudioInput1[kSettingsTextCapacity] = {};
    wchar_t AudioOutput1[kSettingsTextCapacity] = {};
    // Capture source, the second "AutoMark: " key: 0 = marked region,
    // 1 = main Skype window, 2 = small Skype window.
    int AutoMark = 0;
    wchar_t Position[kSettingsShortCapacity] = {};  // "%d,%d" or empty
    int Scale = 0;
    int Setup = 0;
};

// The one record; fields start at zero except "Protocol" (1) until the first
// ReadSettings.
extern SettingsRecord Settings;

// "hh:mm:ss" form of "Max File Time"; cleared on every load.
extern wchar_t DurationText[kDurationTextCapacity];

// The roaming application-data folder, "Telvane 2" under it, and the
// settings file in that folder; empty until PrepareSettingsFolder found them.
extern wchar_t AppDataFolder[kSettingsPathCapacity];
extern wchar_t SettingsFolder[kSettingsPathCapacity];
extern wchar_t SettingsPath[kSettingsPathCapacity];
