#include <davrixfw/CLongBinary.h>
#include <davrixfw/GlobalMemory.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Turns injected failures off whatever a test leaves behind.
class GlobalMemory : public ::testing::Test {
protected:
    void TearDown() override { AfxSetGlobalAllocFailures(0); }
};

struct AllocCase {
    UINT flags;
    size_t bytes;
    bool lockable;
};

TEST_F(GlobalMemory, AllocLockTable) {
    const AllocCase cases[] = {
        {GMEM_MOVEABLE, 0, false}, {GHND, 0, false}, {GPTR, 0, false},
        {GMEM_MOVEABLE, 1, true},  {GHND, 100, true}, {GPTR, 4096, true},
    };
    for (const AllocCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags " << c.flags << " bytes " << c.bytes);
        HGLOBAL h = GlobalAlloc(c.flags, c.bytes);
        ASSERT_NE(nullptr, h) << "a zero-byte block still has a handle";
        EXPECT_EQ(c.bytes, GlobalSize(h));
        void* p = GlobalLock(h);
        EXPECT_EQ(c.lockable, p != nullptr);
        EXPECT_EQ(c.lockable ? 1u : 0u, GlobalLockCount(h));
        if (p) {
            if (c.flags & GMEM_ZEROINIT) {
                const unsigned char* b = static_cast<const unsigned char*>(p);
                for (size_t i = 0; i < c.bytes; ++i) ASSERT_EQ(0, b[i]);
            }
            memset(p, 0xAB, c.bytes);  // the whole block is writable
            EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(p) % alignof(std::max_align_t));
        }
        EXPECT_FALSE(GlobalUnlock(h));
        EXPECT_EQ(nullptr, GlobalFree(h));
    }
}

TEST_F(GlobalMemory, LocksAreCounted) {
    HGLOBAL h = GlobalAlloc(GHND, 16);
    void* p1 = GlobalLock(h);
    void* p2 = GlobalLock(h);
    void* p3 = GlobalLock(h);
    EXPECT_EQ(p1, p2);
    EXPECT_EQ(p1, p3);
    EXPECT_EQ(3u, GlobalLockCount(h));
    EXPECT_TRUE(GlobalUnlock(h));
    EXPECT_TRUE(GlobalUnlock(h));
    EXPECT_FALSE(GlobalUnlock(h)) << "zero once unlocked";
    EXPECT_FALSE(GlobalUnlock(h)) << "unlocking an unlocked block stays at zero";
    EXPECT_EQ(0u, GlobalLockCount(h));
    GlobalLock(h);
    EXPECT_EQ(nullptr, GlobalFree(h)) << "a locked block is freed too";
}

TEST_F(GlobalMemory, NullAndForeignHandles) {
    EXPECT_EQ(nullptr, GlobalLock(nullptr));
    EXPECT_FALSE(GlobalUnlock(nullptr));
    EXPECT_EQ(nullptr, GlobalFree(nullptr));
    EXPECT_EQ(0u, GlobalSize(nullptr));
    alignas(std::max_align_t) unsigned char notABlock[64] = {0};
    EXPECT_EQ(nullptr, GlobalLock(notABlock));
    EXPECT_EQ(static_cast<HGLOBAL>(notABlock), GlobalFree(notABlock)) << "not a block: the handle comes back";
    EXPECT_EQ(0u, GlobalSize(notABlock));
}

TEST_F(GlobalMemory, InjectedFailures) {
    AfxSetGlobalAllocFailures(2);
    EXPECT_EQ(nullptr, GlobalAlloc(GHND, 10));
    EXPECT_EQ(nullptr, GlobalAlloc(GHND, 0));
    HGLOBAL h = GlobalAlloc(GHND, 10);
    EXPECT_NE(nullptr, h) << "only the requested number of allocations fail";
    GlobalFree(h);
    AfxSetGlobalAllocFailures(5);
    AfxSetGlobalAllocFailures(0);
    h = GlobalAlloc(GHND, 10);
    EXPECT_NE(nullptr, h) << "0 turns injection off";
    GlobalFree(h);
}

TEST_F(GlobalMemory, SizesThatCannotBeRepresentedFail) {
    EXPECT_EQ(nullptr, GlobalAlloc(GHND, SIZE_MAX));
    EXPECT_EQ(nullptr, GlobalAlloc(GHND, SIZE_MAX - 8));
}

TEST(CLongBinary, StartsEmptyAndFreesItsBlock) {
    CLongBinary lb;
    EXPECT_EQ(nullptr, lb.m_hData);
    EXPECT_EQ(0u, lb.m_dwDataLength);
    EXPECT_TRUE(lb.IsKindOf(RUNTIME_CLASS(CObject)));
    // A locked block: the destructor frees it anyway (checked by the sanitiser build).
    CLongBinary* p = new CLongBinary;
    p->m_hData = GlobalAlloc(GHND, 64);
    p->m_dwDataLength = 64;
    ASSERT_NE(nullptr, GlobalLock(p->m_hData));
    delete p;
}

}  // namespace
