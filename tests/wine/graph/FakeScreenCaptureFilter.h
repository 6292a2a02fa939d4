#pragma once
// A stand-in for the external screen-capture filter, registered in the test
// process under kScreenCaptureFilterClsid: one output pin "Output" and
// IScreenCaptureSettings, which records every call. Like the real filter it
// keeps the settings of the last call for the instances created after it.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "graph/ScreenCaptureArguments.h"
#include "graph/ScreenCaptureSettings.h"

namespace capturetest {

struct CaptureCall {
    int instance;  // creation order, from 1
    ScreenCaptureArgumentList arguments;
};

// What the stand-in saw in this process. GUI thread only.
struct FakeCaptureLog {
    int instancesCreated = 0;
    std::vector<CaptureCall> calls;
    // SetCaptureSettings returns this (and keeps nothing when it fails).
    HRESULT result = S_OK;
};

FakeCaptureLog& CaptureLog();

// The settings an instance started with (those kept when it was created),
// and its number; none for an object that is not the stand-in.
std::optional<ScreenCaptureArgumentList> StartSettings(IUnknown* filter);
int InstanceNumber(IUnknown* filter);

// Registers the class object in this process (CoRegisterClassObject) until
// the object is destroyed; starts a fresh log and forgets kept settings.
class ScopedFakeCaptureClass {
public:
    ScopedFakeCaptureClass();
    ~ScopedFakeCaptureClass();
    ScopedFakeCaptureClass(const ScopedFakeCaptureClass&) = delete;
    ScopedFakeCaptureClass& operator=(const ScopedFakeCaptureClass&) = delete;
    bool Registered() const { return m_registered; }

private:
    DWORD m_cookie = 0;
    bool m_registered = false;
};

}  // namespace capturetest
