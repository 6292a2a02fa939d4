#pragma once
// What PulseAudio's devices do, as the stand-in's clients see it.
//
// Wine 8 learns the PulseAudio sinks and sources once, when a process first
// loads its driver, and never hears of them again: a stream whose sink or
// source is unloaded is moved by PulseAudio (module-rescue-streams) to
// another device and Wine goes on as if nothing happened, and a new default
// device reaches no IMMNotificationClient. Windows invalidates the clients
// of a removed endpoint (AUDCLNT_E_DEVICE_INVALIDATED) and tells the
// registered notification clients of the device removed, added and the new
// default. So the stand-in asks PulseAudio itself: a thread of the process
// runs pactl (a Linux program, which Wine starts like any other) every
// kPollMs while something here needs to know, and passes on exactly the
// changes it sees.

#include <windows.h>

#include <mmdeviceapi.h>

#include <atomic>
#include <memory>
#include <string>

namespace pulse_watch {

constexpr DWORD kPollMs = 200;

// Set once the PulseAudio device a client runs on is gone.
using LostFlag = std::shared_ptr<std::atomic<bool>>;

// The PulseAudio device behind an endpoint of Wine's (by its id): its sink
// (render) or source (capture) name, from Wine's own record of its
// endpoints. Wine's default endpoint ("PulseAudio") stands for PulseAudio's
// default device of the moment. Empty when it cannot be told.
std::string DeviceOf(const std::wstring& endpointId, bool render, bool wineDefault);

// PulseAudio's default sink as the watch read it last, while it runs
// (something here is watched or listens) and its reading is younger than
// three polls; never a pactl run of its own, so a stream's start waits for
// nothing. False without such a reading.
bool LastDefaultSink(std::string& sink);

// Whether the sink or source `name` is gone: the last reading (as above)
// lacks it and a fresh one, read only then, agrees. False (not gone)
// without a reading.
bool SeenGone(bool sink, const std::string& name);

// The id of Wine's endpoint for the PulseAudio sink (render) or source
// (capture) of that name; empty when this process has none.
std::wstring EndpointOf(bool render, const std::string& pulseName);

// Wine's default endpoints, named in the notifications when PulseAudio's
// new default device has no endpoint of its own in this process.
void SetWineDefaults(const std::wstring& renderId, const std::wstring& captureId);

// A flag that is set when `device` (a sink when `sink`, else a source)
// leaves PulseAudio; set at once when it is not there now. Starts the watch.
LostFlag Watch(bool sink, const std::string& device);

// Notification clients as IMMDeviceEnumerator registers them.
HRESULT Register(IMMNotificationClient* client);
HRESULT Unregister(IMMNotificationClient* client);

}  // namespace pulse_watch
