#pragma once
// What a profile holds: its version, name, description and streams in
// profile order.

#include <windows.h>

#include <wmsdkidl.h>

#include <string>
#include <vector>

#include "winetest/wmvcore/StreamData.h"

namespace wmv {

struct ProfileData {
    WMT_VERSION version = WMT_VER_9_0;
    std::wstring name;
    std::wstring description;
    std::vector<StreamData> streams;
};

}  // namespace wmv
