#include "audio/EndpointFormats.h"

#include "audio/EndpointChecks.h"
#include "audio/Win32AudioUser.h"
#include "audio/Win32CaptureEndpoints.h"
#include "audio/Win32EndpointProbe.h"

int CheckSpeakersFormat() {
    Win32EndpointProbe probe;
    Win32AudioUser user;
    return CheckEndpointFormat(EndpointRole::Speakers, probe, user);
}

int CheckMicrophoneFormat() {
    Win32EndpointProbe probe;
    Win32AudioUser user;
    return CheckEndpointFormat(EndpointRole::Microphone, probe, user);
}

int SetupSecondSource(const wchar_t* name) {
    Win32CaptureEndpoints endpoints;
    Win32AudioUser user;
    return SetupSecondSourceWith(name ? name : L"", endpoints, user);
}
