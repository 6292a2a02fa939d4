#include "graph/AsfWriterSetup.h"

#include <uuids.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <new>

#include "app/services/DiagnosticLog.h"
#include "app/services/ShowMessage.h"
#include "framework/win/Handles.h"
#include "graph/ConfigAsfWriter.h"
#include "graph/FilterLookup.h"
#include "graph/ProfileWriter.h"
#include "graph/WindowsMediaRuntime.h"

namespace {

// A profile file is 20000 bytes; anything far larger is not one.
constexpr DWORD kMaxProfileFileBytes = 16u << 20;
// "The file is not a disk file" as the runtime reports it.
constexpr HRESULT kNotADiskFile = static_cast<HRESULT>(0xC00D001C);

// The objects of the last build, replaced by the next. Never destroyed with
// the process: they belong to COM servers that may be unloaded by then, so
// ReleaseProfileObjects empties them while COM is still up.
struct ProfileObjects {
    ComPtr<IGraphBuilder> graph;
    ComPtr<IBaseFilter> writer;
    ComPtr<IWMProfile> profile;
    ComPtr<IConfigAsfWriter> configWriter;
    ComPtr<IFileSinkFilter> fileSink;
    ComPtr<IWMWriter> wmWriter;
    ComPtr<IWMHeaderInfo> headerInfo;
    wchar_t outputPath[kWriterPathCapacity] = {};
};

ProfileObjects& Objects() {
    static ProfileObjects* objects = new ProfileObjects;
    return *objects;
}

unsigned Address(const void* p) { return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(p)); }

HRESULT LastErrorResult() {
    const DWORD error = ::GetLastError();
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

void RefuseLongPath(size_t length) {
    wchar_t text[200];
    std::swprintf(text, std::size(text),
                  L"Cannot record: the recording's file path is %u characters long, and at most %u fit",
                  static_cast<unsigned>(length), static_cast<unsigned>(kWriterPathCapacity - 1));
    AppendLog(L"\r\n%ls", text);
    ShowMessage(text);
}

// Steps 3 to 8 of reading the profile: the result, and the text shown when
// a step failed (null when all went well).
HRESULT ReadAndLoadProfile(const wchar_t* path, IWMProfileManager* manager, const wchar_t*& failure) {
    win::Handle file(
        ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        failure = L"Cannot create profile file";
        return LastErrorResult();
    }
    if (::GetFileType(file.Get()) != FILE_TYPE_DISK) {
        failure = L"FAILED 3";
        return kNotADiskFile;
    }
    DWORD high = 0;
    const DWORD size = ::GetFileSize(file.Get(), &high);
    if (size == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) {
        failure = L"FAILED 4";
        return LastErrorResult();
    }
    // Two extra zero bytes end the text, whatever the file holds.
    std::unique_ptr<std::uint8_t[]> text;
    if (high == 0 && size <= kMaxProfileFileBytes) text.reset(new (std::nothrow) std::uint8_t[size + 2]());
    if (!text) {
        failure = L"FAILED 5";
        return E_OUTOFMEMORY;
    }
    DWORD read = 0;
    if (!::ReadFile(file.Get(), text.get(), size, &read, nullptr) || read != size) {
        failure = L"Cannot read profile file";
        return read != size && ::GetLastError() == NO_ERROR ? HRESULT_FROM_WIN32(ERROR_HANDLE_EOF) : LastErrorResult();
    }
    const auto* xml = reinterpret_cast<const WCHAR*>(text.get());
    AppendLog(L"\r\n%ls\r\n", xml);
    ComPtr<IWMProfile> loaded;
    const HRESULT hr = manager->LoadProfileByData(xml, &loaded);
    if (FAILED(hr)) {
        AppendLog(L"\r\nFAILED proFileManager");
        failure = L"\r\nFAILED proFileManager";
        return hr;
    }
    Objects().profile = loaded;
    return hr;
}

}  // namespace

ComPtr<IWMProfile> LoadedProfile() { return Objects().profile; }

void ReleaseProfileObjects() {
    ProfileObjects& objects = Objects();
    objects.headerInfo = nullptr;
    objects.wmWriter = nullptr;
    objects.configWriter = nullptr;
    objects.fileSink = nullptr;
    objects.profile = nullptr;
    objects.writer = nullptr;
    objects.graph = nullptr;
}

HRESULT LoadProfileFile(const wchar_t* path) {
    if (!path || !*path) {
        ShowMessage(L"Profile File is NULL");
        return E_POINTER;
    }
    const wchar_t* failure = nullptr;
    ComPtr<IWMProfileManager> manager;
    HRESULT hr = CreateWmProfileManager(&manager);
    if (FAILED(hr)) {
        failure = L"Cannot create profile manager";
    } else {
        hr = ReadAndLoadProfile(path, manager.Get(), failure);
    }
    if (failure) ShowMessage(failure);
    AppendLog(L"pProfile=0x%x", Address(Objects().profile.Get()));
    if (FAILED(hr)) ShowMessage(L"FAILED 1");
    return hr;
}

HRESULT CheckProfileWithWriter(const wchar_t* path, IWMProfile* profile) {
    // A windowed program has no standard output: this goes nowhere there.
    std::fputs("Creating the Writer...\n", stdout);
    ProfileObjects& objects = Objects();
    objects.headerInfo = nullptr;
    HRESULT hr = CreateWmWriter(&objects.wmWriter);
    if (FAILED(hr)) return hr;
    if (FAILED(hr = objects.wmWriter.As(objects.headerInfo))) return hr;
    if (FAILED(hr = objects.wmWriter->SetProfile(profile))) return hr;
    return objects.wmWriter->SetOutputFilename(path);
}

HRESULT ApplyProfileToWriter() {
    ProfileObjects& objects = Objects();
    if (!objects.writer) return E_POINTER;
    HRESULT hr = objects.writer.As(objects.configWriter);
    if (SUCCEEDED(hr)) {
        AppendLog(L"\r\npProfile=0x%x", Address(objects.profile.Get()));
        hr = objects.configWriter->ConfigureFilterUsingProfile(objects.profile.Get());
        if (FAILED(hr)) {
            AppendLog(L"\r\nFailed to configure filter to use profile!  hr=0x%x\n", hr);
            return hr;
        }
    }
    AppendLog(L"\r\npProfile=0x%x", Address(objects.profile.Get()));
    return hr;
}

HRESULT AddAsfWriter(const wchar_t* outputPath, int /*profileId*/, IGraphBuilder* graph, ComPtr<IBaseFilter>& writer) {
    ProfileObjects& objects = Objects();
    objects.graph = ComPtr<IGraphBuilder>(graph);
    const size_t length = outputPath ? std::wcslen(outputPath) : 0;
    if (length >= kWriterPathCapacity) {
        RefuseLongPath(length);
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    }
    std::wmemcpy(objects.outputPath, outputPath ? outputPath : L"", length);
    objects.outputPath[length] = L'\0';

    const std::wstring profilePath = ProfileFilePath();
    LoadProfileFile(profilePath.c_str());

    HRESULT hr = CreateFilter(CLSID_WMAsfWriter, &writer);
    objects.writer = writer;
    if (FAILED(hr)) {
        AppendLog(L"\r\nFailed to create WMAsfWriter filter!  hr=0x%x\n", hr);
        return hr;
    }
    if (FAILED(hr = writer.As(objects.fileSink))) {
        AppendLog(L"\r\nFailed to create QI IFileSinkFilter!  hr=0x%x\n", hr);
        return hr;
    }
    if (FAILED(hr = objects.fileSink->SetFileName(objects.outputPath, nullptr))) {
        AppendLog(L"\r\nFailed to set target filename!  hr=0x%x\n", hr);
        return hr;
    }
    hr = graph ? graph->AddFilter(writer.Get(), L"Mux") : E_POINTER;
    if (FAILED(hr)) {
        AppendLog(L"\r\nFailed to add Mux filter to graph!  hr=0x%x\n", hr);
        return hr;
    }
    if (FAILED(hr = CheckProfileWithWriter(objects.outputPath, objects.profile.Get()))) {
        AppendLog(L"\r\nFailed to WMV create writer  hr=0x%x\n", hr);
        return hr;
    }
    if (FAILED(hr = ApplyProfileToWriter())) {
        AppendLog(L"\r\nFailed to set profile!  hr=0x%x\n", hr);
        return hr;
    }
    ::DeleteFileW(profilePath.c_str());
    AppendLog(L"\r\nADD ASF WRITER OK pASFWriter=0x%x", Address(writer.Get()));
    return hr;
}
