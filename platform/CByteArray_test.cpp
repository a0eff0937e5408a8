#include <davrixfw/CByteArray.h>
#include <davrixfw/CMemoryException.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

class CByteArrayTest : public ::testing::Test {
protected:
    void TearDown() override { CByteArray::SetGrowFailures(0); }

    static std::vector<BYTE> Contents(const CByteArray& a) {
        return std::vector<BYTE>(a.GetData(), a.GetData() + a.GetSize());
    }
};

TEST_F(CByteArrayTest, GrowsKeepsAndZeroFills) {
    CByteArray a;
    EXPECT_EQ(0, a.GetSize());
    EXPECT_EQ(-1, a.GetUpperBound());
    a.SetSize(3);
    EXPECT_EQ((std::vector<BYTE>{0, 0, 0}), Contents(a));
    a.SetAt(1, 7);
    a.SetSize(6);
    EXPECT_EQ((std::vector<BYTE>{0, 7, 0, 0, 0, 0}), Contents(a));
    for (int i = 0; i < 5000; ++i) EXPECT_EQ(6 + i, a.Add((BYTE)i));
    EXPECT_EQ(5006, a.GetSize());
    EXPECT_EQ(7, a.GetAt(1));
    EXPECT_EQ((BYTE)4999, a.GetAt(5005));
}

TEST_F(CByteArrayTest, ShrinkingKeepsStorageAndRegrowingZeroFills) {
    CByteArray a;
    a.SetSize(100);
    memset(a.GetData(), 0xEE, 100);
    const BYTE* storage = a.GetData();
    a.SetSize(10);
    EXPECT_EQ(10, a.GetSize());
    EXPECT_EQ(storage, a.GetData()) << "shrinking keeps the storage";
    a.SetSize(100);
    EXPECT_EQ(storage, a.GetData()) << "regrowing within the storage does not reallocate";
    EXPECT_EQ(0xEE, a.GetAt(9));
    for (LONG i = 10; i < 100; ++i) ASSERT_EQ(0, a.GetAt(i)) << "old bytes must not come back at " << i;
    a.RemoveAll();
    EXPECT_EQ(0, a.GetSize());
}

TEST_F(CByteArrayTest, GrowByStep) {
    CByteArray a;
    a.SetSize(1, 50);
    const BYTE* storage = a.GetData();
    a.SetSize(50, -1);  // -1 keeps the step of 50: 0 + 50 bytes were reserved
    EXPECT_EQ(storage, a.GetData());
    a.SetSize(-5);
    EXPECT_EQ(0, a.GetSize()) << "a negative size counts as 0";
}

TEST_F(CByteArrayTest, FailedGrowthLeavesTheArrayUnchanged) {
    CByteArray a;
    a.SetSize(4);
    for (LONG i = 0; i < 4; ++i) a.SetAt(i, (BYTE)(i + 1));
    const BYTE* storage = a.GetData();
    std::vector<BYTE> before = Contents(a);

    CByteArray::SetGrowFailures(1);
    bool raised = false;
    try {
        a.SetSize(100000);
    } catch (CMemoryException* e) {
        raised = true;
        e->Delete();
    }
    EXPECT_TRUE(raised);
    EXPECT_EQ(before, Contents(a));
    EXPECT_EQ(storage, a.GetData());

    a.SetSize(4);
    a.SetSize(100000);  // the injected failure was used up
    EXPECT_EQ(100000, a.GetSize());
    EXPECT_EQ(4, a.GetAt(3));
    EXPECT_EQ(0, a.GetAt(99999));
}

}  // namespace
