#pragma once
// Reads any IWMStreamConfig (ours or a caller's own) into StreamData through
// its public interfaces, so that AddStream and ReconfigStream take whatever
// object they are given.

#include <windows.h>

#include <wmsdkidl.h>

#include "winetest/wmvcore/StreamData.h"

namespace wmv {

HRESULT ReadStreamData(IWMStreamConfig* config, StreamData& data);

}  // namespace wmv
