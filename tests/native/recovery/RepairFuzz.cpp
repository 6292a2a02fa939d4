// libFuzzer target: any bytes as a recording, through the repair's rules.

#include <cstdio>
#include <cstdlib>

#include "tests/native/recovery/RepairProperties.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string broken = CheckRepairProperties(data, size);
    if (!broken.empty()) {
        std::fprintf(stderr, "repair rule broken: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
