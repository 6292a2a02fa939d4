#pragma once
// The runtime as the recorder reaches it: "wmvcore.dll" loaded by name,
// WMCreateProfileManager and WMCreateWriter found with GetProcAddress.

#include <windows.h>

#include <wmsdkidl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/base/ComPtr.h"
#include "framework/win/Handles.h"

constexpr HRESULT kInvalidProfile = static_cast<HRESULT>(0xC00D0BC6);  // NS_E_INVALIDPROFILE
constexpr HRESULT kBufferTooSmall = static_cast<HRESULT>(0xC00D07D1);  // ASF_E_BUFFERTOOSMALL
constexpr HRESULT kNotFound = static_cast<HRESULT>(0xC00D07F0);        // ASF_E_NOTFOUND
constexpr HRESULT kInvalidRequest = static_cast<HRESULT>(0xC00D002B);  // NS_E_INVALID_REQUEST
constexpr HRESULT kNoStream = static_cast<HRESULT>(0xC00D0033);        // NS_E_NO_STREAM

using CreateProfileManagerFn = HRESULT(WINAPI*)(IWMProfileManager**);
using CreateWriterFn = HRESULT(WINAPI*)(IUnknown*, IWMWriter**);

class StandInTest : public ::testing::Test {
protected:
    void SetUp() override;

    ComPtr<IWMProfile> Load(const std::wstring& xml);
    ComPtr<IWMStreamConfig> Stream(IWMProfile* profile, DWORD index);

    win::ScopedComApartment m_com;
    win::Module m_dll;
    CreateProfileManagerFn m_createManager = nullptr;
    CreateWriterFn m_createWriter = nullptr;
    ComPtr<IWMProfileManager> m_manager;
};

// Little-endian bytes of a structure as the runtime lays it out.
class Bytes {
public:
    Bytes& U16(uint16_t v) { return Put(v, 2); }
    Bytes& U32(uint32_t v) { return Put(v, 4); }
    Bytes& U64(uint64_t v) { return Put(v, 8); }
    Bytes& Raw(std::vector<uint8_t> raw) {
        m_bytes.insert(m_bytes.end(), raw.begin(), raw.end());
        return *this;
    }
    const std::vector<uint8_t>& Get() const { return m_bytes; }

private:
    Bytes& Put(uint64_t v, int n) {
        for (int i = 0; i < n; ++i) m_bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
    std::vector<uint8_t> m_bytes;
};

// A text through the two-call protocol (length, then text).
template <class Object, class Length>
std::wstring TextOf(Object* object, HRESULT (STDMETHODCALLTYPE Object::*get)(WCHAR*, Length*)) {
    Length length = 0;
    if (FAILED((object->*get)(nullptr, &length)) || length == 0) return L"<failed>";
    std::vector<WCHAR> buffer(length);
    if (FAILED((object->*get)(buffer.data(), &length))) return L"<failed>";
    return std::wstring(buffer.data());
}

// The media type of a stream through IWMMediaProps; the WM_MEDIA_TYPE sits at
// the start of the returned bytes.
std::vector<uint8_t> MediaTypeOf(IWMStreamConfig* config);

ULONG RefCount(IUnknown* object);
