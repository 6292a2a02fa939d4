#pragma once
// CWriter: the stand-alone writer of WMCreateWriter (IWMWriter) with its
// header attributes (IWMHeaderInfo).
//
// The recorder only proves with it that the runtime accepts its profile for
// the recording's file name; the recording itself is written by the ASF
// writer filter. So:
// Real: SetProfile (keeps a reference; a profile without streams is
// refused), SetOutputFilename (keeps the name; a name whose folder does not
// exist is refused with NS_E_FILE_OPEN_FAILED), GetInputCount (the profile's
// streams); IWMHeaderInfo SetAttribute, GetAttributeByName,
// GetAttributeCount, kept in memory.
// E_NOTIMPL: SetProfileByID, GetInputProps, SetInputProps,
// GetInputFormatCount, GetInputFormat, BeginWriting, EndWriting,
// AllocateSample, WriteSample, Flush (nothing is ever written to a file), and
// IWMHeaderInfo GetAttributeByIndex and the marker and script methods.

#include <windows.h>

#include <wmsdkidl.h>

#include <mutex>
#include <string>

#include "framework/base/ComPtr.h"
#include "winetest/wmvcore/ComObject.h"
#include "winetest/wmvcore/HeaderAttributes.h"

namespace wmv {

class CWriter : public ComObject<IWMWriter, IWMHeaderInfo> {
public:
    // IWMWriter
    HRESULT STDMETHODCALLTYPE SetProfileByID(REFGUID id) override;
    HRESULT STDMETHODCALLTYPE SetProfile(IWMProfile* profile) override;
    HRESULT STDMETHODCALLTYPE SetOutputFilename(const WCHAR* filename) override;
    HRESULT STDMETHODCALLTYPE GetInputCount(DWORD* count) override;
    HRESULT STDMETHODCALLTYPE GetInputProps(DWORD input, IWMInputMediaProps** props) override;
    HRESULT STDMETHODCALLTYPE SetInputProps(DWORD input, IWMInputMediaProps* props) override;
    HRESULT STDMETHODCALLTYPE GetInputFormatCount(DWORD input, DWORD* count) override;
    HRESULT STDMETHODCALLTYPE GetInputFormat(DWORD input, DWORD format, IWMInputMediaProps** props) override;
    HRESULT STDMETHODCALLTYPE BeginWriting() override;
    HRESULT STDMETHODCALLTYPE EndWriting() override;
    HRESULT STDMETHODCALLTYPE AllocateSample(DWORD size, INSSBuffer** sample) override;
    HRESULT STDMETHODCALLTYPE WriteSample(DWORD input, QWORD time, DWORD flags, INSSBuffer* sample) override;
    HRESULT STDMETHODCALLTYPE Flush() override;

    // IWMHeaderInfo
    HRESULT STDMETHODCALLTYPE GetAttributeCount(WORD stream, WORD* count) override;
    HRESULT STDMETHODCALLTYPE GetAttributeByIndex(WORD index, WORD* stream, WCHAR* name, WORD* nameLength,
                                                  WMT_ATTR_DATATYPE* type, BYTE* value, WORD* length) override;
    HRESULT STDMETHODCALLTYPE GetAttributeByName(WORD* stream, LPCWSTR name, WMT_ATTR_DATATYPE* type, BYTE* value,
                                                 WORD* length) override;
    HRESULT STDMETHODCALLTYPE SetAttribute(WORD stream, LPCWSTR name, WMT_ATTR_DATATYPE type, const BYTE* value,
                                           WORD length) override;
    HRESULT STDMETHODCALLTYPE GetMarkerCount(WORD* count) override;
    HRESULT STDMETHODCALLTYPE GetMarker(WORD index, WCHAR* name, WORD* nameLength, QWORD* time) override;
    HRESULT STDMETHODCALLTYPE AddMarker(LPCWSTR_WMSDK_TYPE_SAFE name, QWORD time) override;
    HRESULT STDMETHODCALLTYPE RemoveMarker(WORD index) override;
    HRESULT STDMETHODCALLTYPE GetScriptCount(WORD* count) override;
    HRESULT STDMETHODCALLTYPE GetScript(WORD index, WCHAR* type, WORD* typeLength, WCHAR* command, WORD* commandLength,
                                        QWORD* time) override;
    HRESULT STDMETHODCALLTYPE AddScript(LPCWSTR_WMSDK_TYPE_SAFE type, LPCWSTR_WMSDK_TYPE_SAFE command,
                                        QWORD time) override;
    HRESULT STDMETHODCALLTYPE RemoveScript(WORD index) override;

private:
    std::mutex m_lock;  // the runtime's objects are free-threaded
    ComPtr<IWMProfile> m_profile;
    std::wstring m_filename;
    HeaderAttributes m_attributes;
};

}  // namespace wmv
