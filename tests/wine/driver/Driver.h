#pragma once
// The Wine test driver: what a GoogleTest program running under Wine uses to
// drive other Windows programs end to end -- start them, find their windows,
// read and work their controls, answer their message boxes, take
// screenshots. Include this one header.

#include "tests/wine/driver/Files.h"
#include "tests/wine/driver/ImageFile.h"
#include "tests/wine/driver/ListView.h"
#include "tests/wine/driver/MessageBoxes.h"
#include "tests/wine/driver/Poll.h"
#include "tests/wine/driver/Process.h"
#include "tests/wine/driver/Screenshot.h"
#include "tests/wine/driver/WindowQuery.h"
