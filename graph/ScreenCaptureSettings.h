#pragma once
// IScreenCaptureSettings, the settings interface of the screen-capture
// source filter ("Pixark BCK"). The recorder calls its one method with 16
// 32-bit arguments (a window handle as its 32-bit value); the filter keeps
// the settings of the last call for instances created after it.

#include <windows.h>

#include <unknwn.h>

// The filter's class identifier.
// {4EA6930A-2C8A-4AE6-A561-56E4B5044437}
constexpr CLSID kScreenCaptureFilterClsid = {
    0x4ea6930a, 0x2c8a, 0x4ae6, {0xa5, 0x61, 0x56, 0xe4, 0xb5, 0x04, 0x44, 0x37}};

MIDL_INTERFACE("D2188000-5959-4839-886A-E8939A661F45")
IScreenCaptureSettings : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE SetCaptureSettings(INT32 frameRate, INT32 bitCount, INT32 left, INT32 top,
                                                         INT32 right, INT32 bottom, INT32 mode, INT32 bitRate,
                                                         INT32 constant9, INT32 cursor, INT32 constant11,
                                                         INT32 window, INT32 background, INT32 constant14,
                                                         INT32 scalePercent, INT32 constant16) = 0;
};
__CRT_UUID_DECL(IScreenCaptureSettings, 0xd2188000, 0x5959, 0x4839, 0x88, 0x6a, 0xe8, 0x93, 0x9a, 0x66, 0x1f, 0x45)
