#pragma once
// The Windows Media Format runtime's two creating functions, bound at run
// time from "wmvcore.dll": mingw-w64 ships no import library for it, and a
// system without the runtime then fails a recording instead of the start.

#include <windows.h>

#include <wmsdkidl.h>

HRESULT CreateWmProfileManager(IWMProfileManager** manager);
// A stand-alone writer, created without a certificate.
HRESULT CreateWmWriter(IWMWriter** writer);
