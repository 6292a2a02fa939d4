// Mutated copies of small recordings through the repair's rules: bytes
// changed in the header and the packets, runs of bytes overwritten, files
// cut anywhere. The fuzz target does the same for longer where clang is
// installed; this runs in every build, under the sanitizers too.

#include <gtest/gtest.h>

#include "tests/native/recovery/RepairProperties.h"
#include "tests/native/recovery/TestRecordings.h"

namespace {

class Mutator {
public:
    uint32_t Next() { return m_state = m_state * 1664525u + 1013904223u; }
    size_t Below(size_t n) { return n ? (Next() >> 8) % n : 0; }
    // Mostly the header and the first packets' headers, where a byte
    // changes what is read.
    size_t Place(const Bytes& b) { return Below(Next() % 4 ? std::min<size_t>(b.size(), 1200) : b.size()); }

    void Mutate(Bytes& b) {
        for (int n = 1 + static_cast<int>(Below(4)); n > 0 && !b.empty(); --n) {
            switch (Below(4)) {
                case 0:
                    b[Place(b)] ^= static_cast<uint8_t>(1 << Below(8));
                    break;
                case 1:
                    b[Place(b)] = static_cast<uint8_t>(Next() >> 24);
                    break;
                case 2:
                    for (size_t at = Place(b), k = 0; k < 8 && at + k < b.size(); ++k)
                        b[at + k] = Below(2) ? 0xFF : 0x00;
                    break;
                default:
                    b.resize(b.size() - Below(b.size() / 4 + 1));
                    break;
            }
        }
    }

private:
    uint32_t m_state = 20240601;
};

TEST(MutatedRecordings, KeepTheRepairsRules) {
    const std::vector<Bytes> seeds = FuzzSeeds();
    for (const Bytes& s : seeds) ASSERT_EQ("", CheckRepairProperties(s.data(), s.size()));
    Mutator m;
    for (int i = 0; i < 2000; ++i) {
        Bytes b = seeds[i % seeds.size()];
        m.Mutate(b);
        ASSERT_EQ("", CheckRepairProperties(b.data(), b.size())) << "mutation " << i;
    }
}

}  // namespace
