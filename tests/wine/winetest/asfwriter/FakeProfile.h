#pragma once
// A small Windows Media profile for the writer's tests, written against the
// public interfaces only: streams with their type, number and media type
// (a WMA audio stream, a WMV1 video stream of a given size, or a stream of
// another type), as a profile manager would hand them out.

#include <windows.h>

#include <wmsdkidl.h>

#include <vector>

#include "framework/base/ComPtr.h"

struct FakeStreamSpec {
    GUID type;  // MEDIATYPE_Audio, MEDIATYPE_Video or anything else
    WORD number;
    LONG width = 0, height = 0;  // video
};

FakeStreamSpec AudioSpec(WORD number);
FakeStreamSpec VideoSpec(WORD number, LONG width, LONG height);

ComPtr<IWMProfile> CreateFakeProfile(const std::vector<FakeStreamSpec>& streams);
// References held on a fake profile by others than the test (for leak checks).
LONG FakeProfileRefs(IWMProfile* profile);
