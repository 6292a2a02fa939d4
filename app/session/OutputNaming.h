#pragma once
// Output file naming: every recording goes to a new file in the recordings
// folder ("Recording Folder"), named after the recorded window's title,
// cleaned of characters a file name cannot hold and made unique against the
// folder's files by a bracketed counter ("Bob.wmv", "Bob[2].wmv", ...).
// GUI thread only. The folder is listed and the tick count read through
// CurrentNamingSystem() (NamingSystem.h).

#include <cstddef>
#include <string>
#include <string_view>

// Capacity of the name buffers, in characters with the terminating zero.
constexpr std::size_t kOutputTextCapacity = 1000;

// File name of the current recording, without folder.
extern wchar_t OutputName[kOutputTextCapacity];
// Full path of the current recording: the recording graph writes it, the
// session measures it.
extern wchar_t OutputPath[kOutputTextCapacity];
// Full path of the most recent recording, kept after it ends ("PLAY").
extern wchar_t LastRecording[kOutputTextCapacity];

// What UniqueName returns instead of a name when the folder cannot be listed.
inline constexpr wchar_t kNameFailMarker[] = L"_FAIL_";

// Runs at every start of a recording. The window title comes from the
// tracking state, which the caller passes in: `trackedTitle` is the tracked
// Skype window's title (TrackedTitle), `conversationTitle` the last
// conversation form's title (ConversationTitle), used when the tracked
// window is the "LiveConversationWindow". Each is read up to 999 characters.
// Fills OutputName, OutputPath and LastRecording and returns true; false
// when the recordings folder cannot be listed (after "Cannot find recording
// folder %s") or no name fits, with OutputPath left empty.
bool SetupOutputFile(std::wstring_view trackedTitle, std::wstring_view conversationTitle);

// Removes, in place, every character a file name cannot hold: control
// characters (below 32) and \ / : * < > | ? & = % ` and the double quote;
// the rest keep their order. Reads the buffer up to its first zero within
// `capacity` (a buffer without one is cut to capacity - 1). Logs "\r\n\r\n"
// and " %02X" for each character of the text before cleaning.
void SanitizeName(wchar_t* text, std::size_t capacity);
template <std::size_t N>
void SanitizeName(wchar_t (&text)[N]) {
    SanitizeName(text, N);
}
// The same for a string, read up to its first 999 characters.
void SanitizeName(std::wstring& text);

// The name, cleaned and made unique in the recordings folder, with its
// extension; "_FAIL_" when the folder cannot be listed (after "Cannot find
// recording folder %s") or a name would not fit beside the folder in a
// path of 999 characters.
//
// The extension is ".dvd.mpg" where the name holds it, else the last "."
// after the first character and at most three characters behind it. An
// earlier counter ("[n]" at the end) is dropped, then every folder entry
// but "." and ".." and plain folders whose lower-case name contains the
// lower-case name (its first 499 characters) counts as a match; the result
// carries "[n+1]" for the largest number after a match's first "[", "[2]"
// for matches without one, no counter without a match. Beyond that, two
// guards: a name that is a device (CON, PRN, AUX, NUL, COM1-9, LPT1-9, any
// case, before its first ".") gets a trailing "_", and a result that equals
// an existing entry takes the next counter, so no recording is written over
// another.
std::wstring UniqueName(std::wstring_view name);
