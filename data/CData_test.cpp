#include <davrixdb/data/CData.h>

#include <davrixfw/GlobalMemory.h>

#include <gtest/gtest.h>

#include <malloc.h>

#include <cstring>
#include <vector>

// Heap bytes in use: the sanitizer's count when it runs, else the C library's.
extern "C" __attribute__((weak)) size_t __sanitizer_get_current_allocated_bytes();

namespace {

size_t AllocatedBytes() {
    if (__sanitizer_get_current_allocated_bytes) return __sanitizer_get_current_allocated_bytes();
    struct mallinfo2 mi = mallinfo2();
    return mi.uordblks + mi.hblkhd;  // large blocks are mapped apart
}

void ExpectEmpty(CData& d) {
    EXPECT_EQ(d.m_pData, nullptr);
    EXPECT_EQ(d.m_hMem, nullptr);
    EXPECT_EQ(d.m_dwLength, 0u);
}

// An owning buffer of n bytes 0, 1, 2, ...
void Fill(CData& d, DWORD n) {
    ASSERT_EQ(d.Alloc(n), 1);
    for (DWORD i = 0; i < n; ++i) d.m_pData[i] = (BYTE)i;
}

TEST(CData, NewBufferIsEmpty) {
    CData d;
    ExpectEmpty(d);
    EXPECT_EQ(d.Data(), nullptr);
    EXPECT_EQ(d.Data(0), nullptr);
    EXPECT_EQ(d.Detach(), nullptr);
    BYTE b = 0;
    EXPECT_EQ(d.PointerIn(&b), 0);
    EXPECT_EQ(d.BufLength(&b), 0u);
    d.Zero();
    d.Free();
    ExpectEmpty(d);
}

TEST(CData, AllocOwnsOneLockedZeroFilledBlock) {
    CData d;
    ASSERT_EQ(d.Alloc(100), 1);
    ASSERT_NE(d.m_hMem, nullptr);
    EXPECT_EQ(d.m_pData, GlobalLock(d.m_hMem));
    GlobalUnlock(d.m_hMem);
    EXPECT_EQ(GlobalLockCount(d.m_hMem), 1u);
    EXPECT_EQ(d.Length(), 100u);
    EXPECT_EQ(std::vector<BYTE>(d.m_pData, d.m_pData + 100), std::vector<BYTE>(100, 0));
}

TEST(CData, AllocOfTheSameSizeKeepsBlockAndBytes) {
    CData d;
    Fill(d, 8);
    HGLOBAL h = d.m_hMem;
    ASSERT_EQ(d.Alloc(8), 1);
    EXPECT_EQ(d.m_hMem, h);
    EXPECT_EQ(d.m_pData[7], 7);
    ASSERT_EQ(d.Alloc(9), 1);
    EXPECT_EQ(d.m_pData[7], 0) << "a new size starts zero-filled";
}

TEST(CData, AllocOfZeroSucceedsOnlyWhenEmpty) {
    CData empty;
    EXPECT_EQ(empty.Alloc(0), 1);
    ExpectEmpty(empty);

    CData owning;
    Fill(owning, 4);
    EXPECT_EQ(owning.Alloc(0), 0);
    ExpectEmpty(owning);

    BYTE mem[4] = {1, 2, 3, 4};
    CData pointing;
    pointing.Attach(sizeof(mem), mem);
    EXPECT_EQ(pointing.Alloc(0), 0);
    ExpectEmpty(pointing);
    EXPECT_EQ(mem[3], 4) << "caller memory is only forgotten";
}

TEST(CData, FailedAllocationLeavesTheBufferEmpty) {
    CData d;
    Fill(d, 4);
    AfxSetGlobalAllocFailures(1);
    EXPECT_EQ(d.Alloc(16), 0);
    AfxSetGlobalAllocFailures(0);
    ExpectEmpty(d);
}

TEST(CData, DataAtOffsetIsNullFromTheLengthOn) {
    CData d;
    Fill(d, 10);
    const struct {
        DWORD off;
        bool inside;
    } cases[] = {{0, true}, {9, true}, {10, false}, {11, false}, {0xFFFFFFFFu, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.off);
        EXPECT_EQ(d.Data(c.off), c.inside ? d.m_pData + c.off : nullptr);
    }
}

TEST(CData, PutDataWritesOnlyWhenEverythingFits) {
    const BYTE item[4] = {0xA1, 0xA2, 0xA3, 0xA4};
    const struct {
        const char* name;
        DWORD itemSize, offset, count;
        int result;
    } cases[] = {
        {"ends exactly at the length", 4, 12, 1, 1},
        {"one byte too far", 4, 13, 1, 0},
        {"repeated to the end", 4, 0, 4, 1},
        {"one repeat too many", 4, 0, 5, 0},
        {"nothing to copy at the end", 1, 16, 0, 1},
        {"nothing to copy past the end", 1, 17, 0, 0},
        {"zero item size", 0, 0, 1, 0},
        {"offset wraps in 32 bits", 4, 0xFFFFFFFEu, 1, 0},
        {"size times count wraps in 32 bits", 0x10000u, 0, 0x10000u, 0},
        {"everything at its maximum", 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CData d;
        Fill(d, 16);
        std::vector<BYTE> expected(d.m_pData, d.m_pData + 16);
        if (c.result)
            for (DWORD i = 0; i < c.count; ++i) memcpy(&expected[c.offset + i * c.itemSize], item, c.itemSize);
        EXPECT_EQ(d.PutData(item, c.itemSize, c.offset, c.count), c.result);
        EXPECT_EQ(std::vector<BYTE>(d.m_pData, d.m_pData + 16), expected);
    }
}

TEST(CData, PutDataNeedsSourceAndAddress) {
    BYTE b = 1;
    CData empty;
    EXPECT_EQ(empty.PutData(&b, 1, 0, 0), 0);
    CData d;
    Fill(d, 4);
    EXPECT_EQ(d.PutData(nullptr, 1, 0, 1), 0);
    CData lengthOnly;
    lengthOnly.Attach(4, nullptr);
    EXPECT_EQ(lengthOnly.PutData(&b, 1, 0, 1), 0);
}

TEST(CData, PointingBufferUsesCallerMemoryAndNeverFreesIt) {
    BYTE mem[6] = {1, 2, 3, 4, 5, 6};
    {
        CData d;
        Fill(d, 3);
        EXPECT_EQ(d.Attach(sizeof(mem), mem), 1);
        EXPECT_EQ(d.m_hMem, nullptr);
        EXPECT_EQ(d.Data(), mem);
        EXPECT_EQ(d.Length(), 6u);
        EXPECT_EQ(d.PutData("\x09", 1, 5, 1), 1);
        EXPECT_EQ(d.Detach(), nullptr);
        ExpectEmpty(d);
        d.Attach(sizeof(mem), mem);
    }  // the destructor only forgets mem
    EXPECT_EQ(mem[0], 1);
    EXPECT_EQ(mem[5], 9);
}

TEST(CData, LengthWithoutAddressCountsAsEmpty) {
    CData d;
    EXPECT_EQ(d.Attach(8, nullptr), 1);
    EXPECT_EQ(d.Length(), 8u);
    EXPECT_EQ(d.Data(0), nullptr);
    BYTE b;
    EXPECT_EQ(d.PointerIn(&b), 0);
    EXPECT_EQ(d.BufLength(&b), 0u);
    d.Zero();
}

TEST(CData, AttachAdoptsABlockAndTakesTheGivenLength) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 32);
    CData d;
    Fill(d, 4);
    ASSERT_EQ(d.Attach(h, 16), 1);
    EXPECT_EQ(d.m_hMem, h);
    EXPECT_EQ(d.Length(), 16u);
    EXPECT_EQ(GlobalLockCount(h), 1u);
}

TEST(CData, AttachOfAnUnlockableBlockFreesItAndEmpties) {
    CData d;
    ASSERT_EQ(d.Attach(GlobalAlloc(GMEM_MOVEABLE, 8), 8), 1);
    // A zero-byte block can never be locked; leak checking sees it if it stays behind.
    EXPECT_EQ(d.Attach(GlobalAlloc(GMEM_MOVEABLE, 0), 0), 0);
    ExpectEmpty(d);
    EXPECT_EQ(d.Attach(HGLOBAL(nullptr), 4), 0);
    ExpectEmpty(d);
}

TEST(CData, AttachOfTheOwnBlockKeepsIt) {
    CData d;
    Fill(d, 8);
    HGLOBAL h = d.m_hMem;
    ASSERT_EQ(d.Attach(h, 8), 1);
    EXPECT_EQ(d.m_hMem, h);
    EXPECT_EQ(d.m_pData[7], 7);
}

TEST(CData, DetachHandsOverTheLockedBlock) {
    CData d;
    Fill(d, 8);
    HGLOBAL h = d.Detach();
    ASSERT_NE(h, nullptr);
    ExpectEmpty(d);
    EXPECT_EQ(GlobalLockCount(h), 1u);
    EXPECT_EQ(GlobalSize(h), 8u);
    GlobalFree(h);
}

// A block adopted with locks of its earlier owner must still be freed whole.
TEST(CData, ReleaseFreesABlockLockedMoreThanOnce) {
    const size_t kSize = 4 << 20;
    for (bool viaFree : {true, false}) {
        SCOPED_TRACE(viaFree ? "Free" : "destructor");
        size_t before = AllocatedBytes();
        {
            HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, kSize);
            ASSERT_NE(h, nullptr);
            GlobalLock(h);
            GlobalLock(h);
            CData d;
            ASSERT_EQ(d.Attach(h, (DWORD)kSize), 1);
            EXPECT_EQ(GlobalLockCount(h), 3u);
            EXPECT_GE(AllocatedBytes(), before + kSize);
            if (viaFree) {
                d.Free();
                ExpectEmpty(d);
            }
        }
        EXPECT_LT(AllocatedBytes(), before + kSize) << "the block stayed behind";
    }
}

TEST(CData, CopyFromAnEmptyBufferLeavesTheTargetAlone) {
    CData empty, target;
    Fill(target, 4);
    HGLOBAL h = target.m_hMem;
    EXPECT_EQ(target.Copy(&empty), 0);
    EXPECT_EQ(target.m_hMem, h);
    EXPECT_EQ(target.m_pData[3], 3);
    EXPECT_EQ(target.Copy(nullptr), 0);
    EXPECT_EQ(target.m_hMem, h);
}

TEST(CData, CopyMakesAnOwnedCopyOfAnotherLength) {
    BYTE mem[5] = {5, 6, 7, 8, 9};
    CData source, target;
    source.Attach(sizeof(mem), mem);
    Fill(target, 2);
    ASSERT_EQ(target.Copy(&source), 1);
    ASSERT_NE(target.m_hMem, nullptr);
    EXPECT_NE(target.m_pData, mem);
    EXPECT_EQ(std::vector<BYTE>(target.m_pData, target.m_pData + 5), std::vector<BYTE>(mem, mem + 5));
}

TEST(CData, CopyOfEqualLengthWritesIntoExistingMemory) {
    BYTE mem[4] = {0, 0, 0, 0};
    CData source, target;
    Fill(source, 4);
    target.Attach(sizeof(mem), mem);
    ASSERT_EQ(target.Copy(&source), 1);
    EXPECT_EQ(target.m_pData, mem);
    EXPECT_EQ(mem[3], 3);
}

TEST(CData, CopyOntoItselfChangesNothing) {
    CData d;
    Fill(d, 6);
    HGLOBAL h = d.m_hMem;
    EXPECT_EQ(d.Copy(&d), 1);
    EXPECT_EQ(d.m_hMem, h);
    EXPECT_EQ(d.m_pData[5], 5);
}

// The source points into the target's block: the old block must outlive the copy.
TEST(CData, CopyFromPartOfTheOwnBlock) {
    CData target, view;
    Fill(target, 8);
    view.Attach(4, target.Data(2));
    ASSERT_EQ(target.Copy(&view), 1);
    EXPECT_EQ(std::vector<BYTE>(target.m_pData, target.m_pData + 4), (std::vector<BYTE>{2, 3, 4, 5}));
}

TEST(CData, CopyFromLengthWithoutAddressFails) {
    CData source, target;
    source.Attach(4, nullptr);
    EXPECT_EQ(target.Copy(&source), 0);
    CData equal;
    Fill(equal, 4);
    EXPECT_EQ(equal.Copy(&source), 0);
    EXPECT_EQ(equal.m_pData[3], 3);
}

TEST(CData, FailedCopyAllocationEmptiesTheTarget) {
    CData source, target;
    Fill(source, 8);
    Fill(target, 4);
    AfxSetGlobalAllocFailures(1);
    EXPECT_EQ(target.Copy(&source), 0);
    AfxSetGlobalAllocFailures(0);
    ExpectEmpty(target);
}

TEST(CData, PointerInAndBufLengthAtTheEdges) {
    CData d;
    Fill(d, 10);
    BYTE* first = d.Data();
    const struct {
        const char* name;
        BYTE* p;
        int in;
        DWORD rest;
    } cases[] = {
        {"first byte", first, 1, 10},
        {"last byte", first + 9, 1, 1},
        {"first plus length", first + 10, 0, 0},
        {"before the first", first - 1, 0, 0},
        {"null", nullptr, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(d.PointerIn(c.p), c.in);
        EXPECT_EQ(d.BufLength(c.p), c.rest);
    }
}

TEST(CData, ZeroClearsTheBytes) {
    CData d;
    Fill(d, 5);
    d.Zero();
    EXPECT_EQ(std::vector<BYTE>(d.m_pData, d.m_pData + 5), std::vector<BYTE>(5, 0));
}

}  // namespace
