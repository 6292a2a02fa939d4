#include "winetest/wmvcore/Writer.h"

#include <cstring>
#include <cwchar>
#include <string>

#include "winetest/wmvcore/TextOut.h"
#include "winetest/wmvcore/WmErrors.h"

namespace wmv {

namespace {

// Longer than any path Windows opens (the \\?\ form included).
constexpr size_t kMaxFilenameChars = 32767;

// Whether the folder part of the name (if it has one) is an existing
// folder: a recording whose folder cannot take the file is refused here,
// at its start, instead of when the first sample arrives.
bool FolderExists(const std::wstring& filename) {
    const size_t slash = filename.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return true;
    std::wstring folder = filename.substr(0, slash);
    if (folder.empty() || folder.back() == L':') folder += L'\\';
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

HRESULT CWriter::SetProfileByID(REFGUID) { return E_NOTIMPL; }

HRESULT CWriter::SetProfile(IWMProfile* profile) {
    if (!profile) return E_POINTER;
    DWORD streams = 0;
    HRESULT hr = profile->GetStreamCount(&streams);
    if (FAILED(hr)) return hr;
    if (streams == 0) return kInvalidProfile;
    ComPtr<IWMProfile> kept(profile);
    std::lock_guard<std::mutex> lock(m_lock);
    m_profile.Swap(kept);
    return S_OK;
}

HRESULT CWriter::SetOutputFilename(const WCHAR* filename) {
    if (!filename) return E_INVALIDARG;
    const size_t length = ::wcsnlen(filename, kMaxFilenameChars + 1);
    if (length == 0 || length > kMaxFilenameChars) return E_INVALIDARG;
    std::wstring name(filename, length);
    if (!FolderExists(name)) return NS_E_FILE_OPEN_FAILED;
    std::lock_guard<std::mutex> lock(m_lock);
    m_filename.swap(name);
    return S_OK;
}

HRESULT CWriter::GetInputCount(DWORD* count) {
    if (!count) return E_POINTER;
    ComPtr<IWMProfile> profile;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        profile = m_profile;
    }
    if (!profile) return kInvalidRequest;
    return profile->GetStreamCount(count);
}

HRESULT CWriter::GetInputProps(DWORD, IWMInputMediaProps** props) {
    if (props) *props = nullptr;
    return E_NOTIMPL;
}

HRESULT CWriter::SetInputProps(DWORD, IWMInputMediaProps*) { return E_NOTIMPL; }

HRESULT CWriter::GetInputFormatCount(DWORD, DWORD*) { return E_NOTIMPL; }

HRESULT CWriter::GetInputFormat(DWORD, DWORD, IWMInputMediaProps** props) {
    if (props) *props = nullptr;
    return E_NOTIMPL;
}

HRESULT CWriter::BeginWriting() { return E_NOTIMPL; }

HRESULT CWriter::EndWriting() { return E_NOTIMPL; }

HRESULT CWriter::AllocateSample(DWORD, INSSBuffer** sample) {
    if (sample) *sample = nullptr;
    return E_NOTIMPL;
}

HRESULT CWriter::WriteSample(DWORD, QWORD, DWORD, INSSBuffer*) { return E_NOTIMPL; }

HRESULT CWriter::Flush() { return E_NOTIMPL; }

HRESULT CWriter::GetAttributeCount(WORD stream, WORD* count) {
    if (!count) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(m_lock);
    *count = m_attributes.Count(stream);
    return S_OK;
}

HRESULT CWriter::GetAttributeByIndex(WORD, WORD*, WCHAR*, WORD*, WMT_ATTR_DATATYPE*, BYTE*, WORD*) { return E_NOTIMPL; }

HRESULT CWriter::GetAttributeByName(WORD* stream, LPCWSTR name, WMT_ATTR_DATATYPE* type, BYTE* value, WORD* length) {
    if (!stream || !name || !type || !length) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(m_lock);
    const HeaderAttributes::Attribute* attribute = m_attributes.Find(*stream, name);
    if (!attribute) return kNotFound;
    const WORD capacity = *length;
    *type = static_cast<WMT_ATTR_DATATYPE>(attribute->type);
    *length = static_cast<WORD>(attribute->value.size());
    if (!value) return S_OK;
    if (capacity < attribute->value.size()) return kBufferTooSmall;
    if (!attribute->value.empty()) std::memcpy(value, attribute->value.data(), attribute->value.size());
    return S_OK;
}

HRESULT CWriter::SetAttribute(WORD stream, LPCWSTR name, WMT_ATTR_DATATYPE type, const BYTE* value, WORD length) {
    if (!name || !*name) return E_INVALIDARG;
    if (length && !value) return E_INVALIDARG;
    if (type < WMT_TYPE_DWORD || type > WMT_TYPE_GUID) return E_INVALIDARG;
    if (::wcsnlen(name, kMaxTextChars + 1) > kMaxTextChars) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_attributes.Set(stream, name, type, value, length)) return E_INVALIDARG;
    return S_OK;
}

HRESULT CWriter::GetMarkerCount(WORD*) { return E_NOTIMPL; }

HRESULT CWriter::GetMarker(WORD, WCHAR*, WORD*, QWORD*) { return E_NOTIMPL; }

HRESULT CWriter::AddMarker(LPCWSTR_WMSDK_TYPE_SAFE, QWORD) { return E_NOTIMPL; }

HRESULT CWriter::RemoveMarker(WORD) { return E_NOTIMPL; }

HRESULT CWriter::GetScriptCount(WORD*) { return E_NOTIMPL; }

HRESULT CWriter::GetScript(WORD, WCHAR*, WORD*, WCHAR*, WORD*, QWORD*) { return E_NOTIMPL; }

HRESULT CWriter::AddScript(LPCWSTR_WMSDK_TYPE_SAFE, LPCWSTR_WMSDK_TYPE_SAFE, QWORD) { return E_NOTIMPL; }

HRESULT CWriter::RemoveScript(WORD) { return E_NOTIMPL; }

}  // namespace wmv
