#pragma once
// Registry and filter-mapper helpers of a filter DLL's self-registration.

#include <windows.h>

struct AMOVIESETUP_FILTER;

// Full path of the module (DLL or program) that this code is linked into.
HRESULT ModuleFileName(wchar_t* path, DWORD capacity);

// HKCR\CLSID\{clsid} = name, its InprocServer32 = path with ThreadingModel.
HRESULT RegisterComServer(REFCLSID clsid, const wchar_t* name, const wchar_t* path, const wchar_t* threadingModel);
// Deletes HKCR\CLSID\{clsid} with all its subkeys. A missing key is success.
HRESULT UnregisterComServer(REFCLSID clsid);

// Enters (or removes) a filter with the filter mapper inside its own COM
// apartment bracket; IFilterMapper2 where there is one, else IFilterMapper.
HRESULT RegisterFilterWithMapper(const AMOVIESETUP_FILTER& setup, bool reg);

// "{XXXXXXXX-...}" form of a GUID; capacity at least 39.
void GuidText(REFGUID guid, wchar_t* text, size_t capacity);
