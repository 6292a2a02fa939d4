// The stand-ins as the recorder finds them: through the system device
// enumerator, by category and friendly name.

#include <gtest/gtest.h>

#include <windows.h>

#include <strmif.h>

#include <uuids.h>

#include <algorithm>

#include "tests/wine/winetest/dshowfilters/ComFixture.h"
#include "tests/wine/winetest/dshowfilters/GraphTools.h"
#include "winetest/dshowfilters/StandInIds.h"

namespace {

int CountOf(const std::vector<std::wstring>& names, const std::wstring& name) {
    return static_cast<int>(std::count(names.begin(), names.end(), name));
}

CLSID ClassOf(IBaseFilter* filter) {
    CLSID clsid = GUID_NULL;
    filter->GetClassID(&clsid);
    return clsid;
}

class FilterLookupTest : public TestDevicesTest {};

TEST_F(FilterLookupTest, TeeAndWavDestAreLegacyFiltersOnceEach) {
    auto names = DeviceNames(CLSID_LegacyAmFilterCategory);
    EXPECT_EQ(1, CountOf(names, L"Infinte Pin Tee Filter"));
    EXPECT_EQ(1, CountOf(names, L"WAV Dest"));
    // Not under a corrected spelling, and not as a capture device.
    EXPECT_EQ(0, CountOf(names, L"Infinite Pin Tee Filter"));
    EXPECT_EQ(0, CountOf(DeviceNames(CLSID_AudioInputDeviceCategory), L"WAV Dest"));
}

TEST_F(FilterLookupTest, BoundFiltersAreTheStandIns) {
    auto tee = FindDevice(CLSID_LegacyAmFilterCategory, L"Infinte Pin Tee Filter");
    ASSERT_TRUE(tee);
    EXPECT_TRUE(IsEqualGUID(CLSID_InfTee, ClassOf(tee.Get())));
    EXPECT_EQ((std::vector<std::wstring>{L"Input", L"Output1"}), AllPinNames(tee.Get()));

    auto dest = FindDevice(CLSID_LegacyAmFilterCategory, L"WAV Dest");
    ASSERT_TRUE(dest);
    EXPECT_TRUE(IsEqualGUID(CLSID_WavDestStandIn, ClassOf(dest.Get())));
    EXPECT_EQ((std::vector<std::wstring>{L"In"}), AllPinNames(dest.Get()));
    ComPtr<IFileSinkFilter> sink;
    EXPECT_EQ(S_OK, dest.As(sink));
}

TEST_F(FilterLookupTest, CaptureDeviceOnlyOnceAdded) {
    const std::wstring name = L"Lookup Test Microphone";
    EXPECT_FALSE(FindDevice(CLSID_AudioInputDeviceCategory, name));
    ASSERT_EQ(S_OK, winetest::AddTestAudioDevice(name, {L"Mic Boost", L"Aux"}));
    auto device = FindDevice(CLSID_AudioInputDeviceCategory, name);
    ASSERT_TRUE(device);
    EXPECT_TRUE(IsEqualGUID(CLSID_AudioCaptureStandIn, ClassOf(device.Get())));
    EXPECT_EQ((std::vector<std::wstring>{L"Capture", L"Mic Boost", L"Aux"}), AllPinNames(device.Get()));
    ASSERT_EQ(S_OK, winetest::RemoveTestAudioDevices());
    EXPECT_FALSE(FindDevice(CLSID_AudioInputDeviceCategory, name));
}

}  // namespace
