#include <gtest/gtest.h>

#include <utility>

#include "framework/base/ComPtr.h"

namespace {

// Counts references; created with one reference, as COM factories hand out.
class Counted {
public:
    unsigned long AddRef() { return ++refs; }
    unsigned long Release() {
        --refs;
        if (refs == 0) ++*destroyed;
        return refs;
    }
    unsigned long refs = 1;
    int* destroyed;
    explicit Counted(int* d) : destroyed(d) {}
};

TEST(ComPtr, SharingAddsAReferenceAndAttachAdoptsOne) {
    int destroyed = 0;
    Counted object(&destroyed);
    {
        ComPtr<Counted> shared(&object);
        EXPECT_EQ(object.refs, 2u);
        ComPtr<Counted> adopted;
        object.AddRef();
        adopted.Attach(&object);
        EXPECT_EQ(object.refs, 3u);
    }
    EXPECT_EQ(object.refs, 1u);
    EXPECT_EQ(destroyed, 0);
}

TEST(ComPtr, CopyAddsMoveStealsAssignmentReleasesTheOld) {
    int destroyedA = 0, destroyedB = 0;
    Counted a(&destroyedA), b(&destroyedB);
    ComPtr<Counted> pa;
    pa.Attach(&a);
    ComPtr<Counted> copy = pa;
    EXPECT_EQ(a.refs, 2u);
    ComPtr<Counted> moved = std::move(copy);
    EXPECT_EQ(a.refs, 2u);
    EXPECT_FALSE(copy);
    EXPECT_EQ(moved.Get(), &a);

    ComPtr<Counted> pb;
    pb.Attach(&b);
    moved = pb;  // a loses one, b gains one
    EXPECT_EQ(a.refs, 1u);
    EXPECT_EQ(b.refs, 2u);
    moved = moved;  // self-assignment keeps the count
    EXPECT_EQ(b.refs, 2u);
    moved = std::move(pb);  // b: moved's old reference goes, pb's arrives
    EXPECT_EQ(b.refs, 1u);
    moved = nullptr;
    EXPECT_EQ(destroyedB, 1);
    pa.Reset();
    EXPECT_EQ(destroyedA, 1);
}

TEST(ComPtr, AddressOfReleasesTheOldPointerForOutParameters) {
    int destroyedA = 0, destroyedB = 0;
    Counted a(&destroyedA), b(&destroyedB);
    ComPtr<Counted> p;
    p.Attach(&a);
    Counted** out = &p;  // what a creating call receives
    EXPECT_EQ(destroyedA, 1);
    EXPECT_EQ(*out, nullptr);
    *out = &b;  // the call hands over its reference
    EXPECT_EQ(p.Get(), &b);
    EXPECT_EQ(b.refs, 1u);
}

TEST(ComPtr, DetachAndCopyToHandOverReferences) {
    int destroyed = 0;
    Counted a(&destroyed);
    ComPtr<Counted> p;
    p.Attach(&a);
    Counted* raw = nullptr;
    p.CopyTo(&raw);
    EXPECT_EQ(raw, &a);
    EXPECT_EQ(a.refs, 2u);
    Counted* detached = p.Detach();
    EXPECT_FALSE(p);
    EXPECT_EQ(a.refs, 2u);
    detached->Release();
    raw->Release();
    EXPECT_EQ(destroyed, 1);

    ComPtr<Counted> empty;
    raw = &a;
    empty.CopyTo(&raw);
    EXPECT_EQ(raw, nullptr);
}

}  // namespace
