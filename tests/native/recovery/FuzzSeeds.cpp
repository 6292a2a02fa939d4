// Writes the fuzz target's first inputs into a folder: small recordings of
// every kind.

#include <cstdio>
#include <string>

#include "tests/native/recovery/TestRecordings.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::vector<Bytes> seeds = FuzzSeeds();
    for (size_t i = 0; i < seeds.size(); ++i) {
        const std::string path = std::string(argv[1]) + "/seed" + std::to_string(i) + ".wmv";
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(seeds[i].data(), 1, seeds[i].size(), f) != seeds[i].size() || std::fclose(f) != 0)
            return 1;
    }
    return 0;
}
