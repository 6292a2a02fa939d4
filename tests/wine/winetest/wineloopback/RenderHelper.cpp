// loopback_render_helper.exe: a render stream in a process of its own for
// the loopback gate test.
//
//   loopback_render_helper <endpoint friendly name> <event prefix>
//
// Plays a 440 Hz tone through WASAPI on the endpoint, sets the event
// "<prefix>Started", and on "<prefix>Stop" stops the stream, sets
// "<prefix>Stopped" and ends. Exit code 0, or 2 for bad arguments, 3 when
// the stream does not start, 4 when no stop comes within a minute.

#include <windows.h>

#include <string>

#include "framework/win/Handles.h"
#include "tests/wine/capfilter/Tone.h"

namespace {

win::Handle Event(const std::wstring& name) { return win::Handle(::CreateEventW(nullptr, TRUE, FALSE, name.c_str())); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    const std::wstring prefix = argv[2];
    win::Handle started = Event(prefix + L"Started");
    win::Handle stop = Event(prefix + L"Stop");
    win::Handle stopped = Event(prefix + L"Stopped");
    if (!started || !stop || !stopped) return 2;
    TonePlayer tone;
    if (!tone.Start(argv[1], 440, 8000)) return 3;
    ::SetEvent(started.Get());
    const bool asked = ::WaitForSingleObject(stop.Get(), 60000) == WAIT_OBJECT_0;
    tone.Stop();
    ::SetEvent(stopped.Get());
    return asked ? 0 : 4;
}
