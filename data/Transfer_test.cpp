#include <davrixdb/data/CData.h>
#include <davrixdb/product/CDAVRIXRecordset.h>
#include <davrixdb/recordset/CDadRecordset.h>

#include <davrixfw/GlobalMemory.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

std::vector<BYTE> Pattern(size_t n, int seed = 0) {
    std::vector<BYTE> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = (BYTE)(i * 7 + seed);
    return v;
}

std::vector<BYTE> Bytes(const BYTE* p, size_t n) { return std::vector<BYTE>(p, p + n); }
std::vector<BYTE> Bytes(CData& d) { return Bytes(d.m_pData, d.m_dwLength); }

// An owning buffer holding v.
void Own(CData& d, const std::vector<BYTE>& v) {
    ASSERT_EQ(d.Alloc((DWORD)v.size()), 1);
    memcpy(d.m_pData, v.data(), v.size());
}

// A long binary holding v in an unlocked block of its own.
void Hold(CLongBinary& lb, const std::vector<BYTE>& v) {
    lb.m_hData = GlobalAlloc(GMEM_MOVEABLE, v.size());
    ASSERT_NE(lb.m_hData, nullptr);
    memcpy(GlobalLock(lb.m_hData), v.data(), v.size());
    GlobalUnlock(lb.m_hData);
    lb.m_dwDataLength = (DWORD)v.size();
}

std::vector<BYTE> Bytes(CLongBinary& lb) {
    std::vector<BYTE> v(Bytes(static_cast<BYTE*>(GlobalLock(lb.m_hData)), lb.m_dwDataLength));
    GlobalUnlock(lb.m_hData);
    return v;
}

// Records the size asked of every Read and Write; a hook may act before a Read.
class RecordingFile : public CFile {
public:
    UINT Read(void* lpBuf, UINT nCount) override {
        reads.push_back(nCount);
        if (beforeRead) beforeRead(reads.size());
        return CFile::Read(lpBuf, nCount);
    }
    void Write(const void* lpBuf, UINT nCount) override {
        writes.push_back(nCount);
        CFile::Write(lpBuf, nCount);
    }
    std::vector<UINT> reads, writes;
    std::function<void(size_t)> beforeRead;
};

class Transfer : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tmp = getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/davrix_transfer_XXXXXX";
        ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        AfxSetGlobalAllocFailures(0);
        CByteArray::SetGrowFailures(0);
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    std::string Path(const char* name) const { return m_dir + "/" + name; }
    std::string WriteBytes(const char* name, const std::vector<BYTE>& v) {
        std::string path = Path(name);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(v.data()), (std::streamsize)v.size());
        return path;
    }
    static std::vector<BYTE> ReadBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::string m_dir;
    CDadRecordset m_rs;
};

// ---- CData <-> CLongBinary ----

TEST_F(Transfer, EmptyBufferIntoLongBinaryFreesItsValue) {
    CLongBinary lb;
    Hold(lb, Pattern(10));
    CData empty;
    m_rs.DatatoLB(&empty, &lb);
    EXPECT_EQ(lb.m_hData, nullptr);
    EXPECT_EQ(lb.m_dwDataLength, 0u);
}

TEST_F(Transfer, OwnedBlockPassesToTheLongBinaryAsItIs) {
    CLongBinary lb;
    Hold(lb, Pattern(3));
    CData d;
    Own(d, Pattern(100, 1));
    HGLOBAL h = d.m_hMem;
    m_rs.DatatoLB(&d, &lb);
    EXPECT_EQ(lb.m_hData, h);
    EXPECT_EQ(lb.m_dwDataLength, 100u);
    EXPECT_EQ(GlobalLockCount(h), 1u) << "the buffer's lock goes along";
    EXPECT_EQ(d.m_pData, nullptr);
    EXPECT_EQ(d.m_hMem, nullptr);
    EXPECT_EQ(d.m_dwLength, 0u);
    EXPECT_EQ(Bytes(lb), Pattern(100, 1));
}

// A zero-length block of the long binary's must not be lost when it is replaced (leak check).
TEST_F(Transfer, ZeroLengthBlockOfTheLongBinaryIsFreedWhenReplaced) {
    CLongBinary lb;
    lb.m_hData = GlobalAlloc(GMEM_MOVEABLE, 16);
    lb.m_dwDataLength = 0;
    CData d;
    Own(d, Pattern(4));
    m_rs.DatatoLB(&d, &lb);
    EXPECT_EQ(lb.m_dwDataLength, 4u);
    EXPECT_EQ(Bytes(lb), Pattern(4));
}

TEST_F(Transfer, CallerMemoryIsCopiedIntoANewBlock) {
    std::vector<BYTE> mem = Pattern(50, 3);
    CData d;
    d.Attach((DWORD)mem.size(), mem.data());
    CLongBinary lb;
    m_rs.DatatoLB(&d, &lb);
    ASSERT_NE(lb.m_hData, nullptr);
    EXPECT_EQ(lb.m_dwDataLength, 50u);
    EXPECT_EQ(GlobalLockCount(lb.m_hData), 0u);
    EXPECT_EQ(Bytes(lb), Pattern(50, 3));
    EXPECT_EQ(d.m_pData, nullptr);
    EXPECT_EQ(d.m_dwLength, 0u);
    EXPECT_EQ(mem, Pattern(50, 3));
}

TEST_F(Transfer, CallerMemoryWithoutABlockToCopyInto) {
    std::vector<BYTE> mem = Pattern(8);
    CData d;
    d.Attach((DWORD)mem.size(), mem.data());
    CLongBinary lb;
    Hold(lb, Pattern(4));
    AfxSetGlobalAllocFailures(1);
    m_rs.DatatoLB(&d, &lb);
    AfxSetGlobalAllocFailures(0);
    EXPECT_EQ(lb.m_hData, nullptr);
    EXPECT_EQ(lb.m_dwDataLength, 0u);
    EXPECT_EQ(d.m_pData, mem.data());
    EXPECT_EQ(d.m_dwLength, 8u);
}

// The buffer points into the long binary's own block: the copy is made before it goes.
TEST_F(Transfer, BufferPointingIntoTheLongBinary) {
    CLongBinary lb;
    Hold(lb, Pattern(20));
    BYTE* p = static_cast<BYTE*>(GlobalLock(lb.m_hData));
    CData d;
    d.Attach(10, p + 5);
    m_rs.DatatoLB(&d, &lb);
    EXPECT_EQ(Bytes(lb), Bytes(Pattern(20).data() + 5, 10));
}

TEST_F(Transfer, LongBinaryIntoBufferLeavesItAsItWas) {
    CLongBinary lb;
    Hold(lb, Pattern(300, 2));
    HGLOBAL h = lb.m_hData;
    CData d;
    Own(d, Pattern(7));
    m_rs.LBtoData(&lb, &d);
    EXPECT_EQ(lb.m_hData, h);
    EXPECT_EQ(lb.m_dwDataLength, 300u);
    EXPECT_EQ(GlobalLockCount(h), 0u);
    ASSERT_NE(d.m_hMem, nullptr);
    EXPECT_NE(d.m_hMem, h);
    EXPECT_EQ(Bytes(d), Pattern(300, 2));
}

TEST_F(Transfer, EmptyLongBinaryOrNoMemoryEmptiesTheBuffer) {
    const struct {
        const char* name;
        DWORD length;
        bool block;
        bool failAlloc;
    } cases[] = {
        {"length 0", 0, true, false},
        {"no block", 5, false, false},
        {"no memory", 5, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CLongBinary lb;
        if (c.block) Hold(lb, Pattern(5));
        lb.m_dwDataLength = c.length;
        CData d;
        Own(d, Pattern(3));
        AfxSetGlobalAllocFailures(c.failAlloc ? 1 : 0);
        m_rs.LBtoData(&lb, &d);
        AfxSetGlobalAllocFailures(0);
        EXPECT_EQ(d.m_pData, nullptr);
        EXPECT_EQ(d.m_dwLength, 0u);
        if (c.block) {
            EXPECT_EQ(GlobalLockCount(lb.m_hData), 0u);
        }
    }
}

// A recorded length beyond the block is never read past the block.
TEST_F(Transfer, LongBinaryLengthBeyondItsBlock) {
    CLongBinary lb;
    Hold(lb, Pattern(8));
    lb.m_dwDataLength = 12;
    CData d;
    m_rs.LBtoData(&lb, &d);
    ASSERT_EQ(d.m_dwLength, 12u);
    std::vector<BYTE> expected = Pattern(8);
    expected.resize(12, 0);
    EXPECT_EQ(Bytes(d), expected);
}

// ---- CData <-> CByteArray ----

TEST_F(Transfer, BufferIntoByteArrayAndBack) {
    CData d;
    Own(d, Pattern(1000, 4));
    CByteArray arr;
    m_rs.DatatoLB(&d, &arr);
    ASSERT_EQ(arr.GetSize(), 1000);
    EXPECT_EQ(Bytes(arr.GetData(), 1000), Pattern(1000, 4));
    EXPECT_EQ(d.m_pData, nullptr);
    EXPECT_EQ(d.m_dwLength, 0u);

    CData back;
    Own(back, Pattern(3));
    m_rs.LBtoData(&arr, &back);
    ASSERT_NE(back.m_hMem, nullptr);
    EXPECT_EQ(Bytes(back), Pattern(1000, 4));
    EXPECT_EQ(arr.GetSize(), 1000);
}

TEST_F(Transfer, EmptyBufferEmptiesTheByteArrayAndBack) {
    CByteArray arr;
    arr.SetSize(10);
    CData empty;
    m_rs.DatatoLB(&empty, &arr);
    EXPECT_EQ(arr.GetSize(), 0);

    CData d;
    Own(d, Pattern(3));
    m_rs.LBtoData(&arr, &d);
    EXPECT_EQ(d.m_pData, nullptr);
    EXPECT_EQ(d.m_dwLength, 0u);
}

TEST_F(Transfer, ByteArrayThatCannotGrowKeepsTheBuffer) {
    CData d;
    Own(d, Pattern(64));
    HGLOBAL h = d.m_hMem;
    CByteArray arr;
    arr.SetSize(2);
    CByteArray::SetGrowFailures(1);
    m_rs.DatatoLB(&d, &arr);
    CByteArray::SetGrowFailures(0);
    EXPECT_EQ(d.m_hMem, h);
    EXPECT_EQ(Bytes(d), Pattern(64));
    EXPECT_EQ(arr.GetSize(), 2);
}

TEST_F(Transfer, ByteArrayIntoBufferWithoutMemory) {
    CByteArray arr;
    arr.SetSize(10);
    CData d;
    AfxSetGlobalAllocFailures(1);
    m_rs.LBtoData(&arr, &d);
    AfxSetGlobalAllocFailures(0);
    EXPECT_EQ(d.m_pData, nullptr);
    EXPECT_EQ(d.m_dwLength, 0u);
}

// ---- files ----

TEST_F(Transfer, ReadFileTakesPiecesOf8192Bytes) {
    std::string path = WriteBytes("in.bin", Pattern(20000, 5));
    RecordingFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
    CData d;
    ASSERT_EQ(CDadRecordset::ReadFile(file, &d), 1);
    EXPECT_EQ(file.reads, (std::vector<UINT>{8192, 8192, 3616}));
    EXPECT_EQ(Bytes(d), Pattern(20000, 5));
}

TEST_F(Transfer, ReadFileByName) {
    std::string path = WriteBytes("in.bin", Pattern(100, 6));
    CData d;
    Own(d, Pattern(5));
    ASSERT_EQ(CDadRecordset::ReadFile(path.c_str(), &d), 1);
    EXPECT_EQ(Bytes(d), Pattern(100, 6));
}

TEST_F(Transfer, ReadFileOfAMissingFileKeepsTheBuffer) {
    CData d;
    Own(d, Pattern(5));
    HGLOBAL h = d.m_hMem;
    EXPECT_EQ(CDadRecordset::ReadFile(Path("missing.bin").c_str(), &d), 0);
    EXPECT_EQ(d.m_hMem, h);
    EXPECT_EQ(Bytes(d), Pattern(5));
}

// An empty rest needs a zero-byte block, which only an empty buffer has already.
TEST_F(Transfer, EmptyFileReadsOnlyIntoAnEmptyBuffer) {
    std::string path = WriteBytes("empty.bin", {});
    CData empty;
    EXPECT_EQ(CDadRecordset::ReadFile(path.c_str(), &empty), 1);
    EXPECT_EQ(empty.m_dwLength, 0u);

    CData holding;
    Own(holding, Pattern(5));
    EXPECT_EQ(CDadRecordset::ReadFile(path.c_str(), &holding), 0);
    EXPECT_EQ(holding.m_pData, nullptr);
    EXPECT_EQ(holding.m_dwLength, 0u);
}

TEST_F(Transfer, ReadFileReadsFromTheCurrentPosition) {
    std::string path = WriteBytes("in.bin", Pattern(10000, 7));
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
    file.Seek(100, CFile::begin);
    CData d;
    ASSERT_EQ(CDadRecordset::ReadFile(file, &d), 1);
    std::vector<BYTE> all = Pattern(10000, 7);
    EXPECT_EQ(Bytes(d), std::vector<BYTE>(all.begin() + 100, all.end()));
}

TEST_F(Transfer, ReadFileReusesCallerMemoryOfTheRightLength) {
    std::string path = WriteBytes("in.bin", Pattern(16, 8));
    std::vector<BYTE> mem(16, 0);
    CData d;
    d.Attach((DWORD)mem.size(), mem.data());
    ASSERT_EQ(CDadRecordset::ReadFile(path.c_str(), &d), 1);
    EXPECT_EQ(d.m_pData, mem.data());
    EXPECT_EQ(mem, Pattern(16, 8));
}

// The file is cut short after the first piece: the read must end, not spin.
TEST_F(Transfer, FileThatShrinksWhileReadFails) {
    std::string path = WriteBytes("in.bin", Pattern(20000));
    RecordingFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
    file.beforeRead = [&](size_t call) {
        if (call == 2) {
            ASSERT_EQ(truncate(path.c_str(), 8192), 0);
        }
    };
    CData d;
    EXPECT_EQ(CDadRecordset::ReadFile(file, &d), 0);
    EXPECT_EQ(file.reads, (std::vector<UINT>{8192, 8192}));
    EXPECT_EQ(d.m_pData, nullptr);
    EXPECT_EQ(d.m_dwLength, 0u);
    EXPECT_EQ(file.m_hFile, int{CFile::hFileNull});
}

TEST_F(Transfer, FileBeyondFourGigabytesIsRefused) {
    std::string path = Path("huge.bin");
    WriteBytes("huge.bin", {});
    if (truncate(path.c_str(), 0x100000000LL) != 0) GTEST_SKIP() << "no sparse files here";
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
    CData d;
    Own(d, Pattern(5));
    EXPECT_EQ(CDadRecordset::ReadFile(file, &d), 0);
    EXPECT_EQ(d.m_pData, nullptr);
    EXPECT_EQ(d.m_dwLength, 0u);
}

TEST_F(Transfer, WriteFileWritesPiecesOf8192Bytes) {
    std::string path = Path("out.bin");
    RecordingFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
    CData d;
    Own(d, Pattern(20000, 9));
    ASSERT_EQ(CDadRecordset::WriteFile(file, &d), 1);
    file.Close();
    EXPECT_EQ(file.writes, (std::vector<UINT>{8192, 8192, 3616}));
    EXPECT_EQ(ReadBytes(path), Pattern(20000, 9));
    EXPECT_EQ(Bytes(d), Pattern(20000, 9)) << "the buffer is kept";
}

TEST_F(Transfer, WriteFileByNameCreatesAndTruncates) {
    std::string path = WriteBytes("out.bin", Pattern(500));
    CData d;
    Own(d, Pattern(30, 1));
    ASSERT_EQ(CDadRecordset::WriteFile(path.c_str(), &d), 1);
    EXPECT_EQ(ReadBytes(path), Pattern(30, 1));

    CData empty;
    ASSERT_EQ(CDadRecordset::WriteFile(path.c_str(), &empty), 1);
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 0);

    std::string fresh = Path("fresh.bin");
    ASSERT_EQ(CDadRecordset::WriteFile(fresh.c_str(), &empty), 1);
    ASSERT_EQ(stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 0);
}

TEST_F(Transfer, WriteFileThatCannotBeOpenedKeepsTheBuffer) {
    CData d;
    Own(d, Pattern(5));
    EXPECT_EQ(CDadRecordset::WriteFile(Path("no/such/dir.bin").c_str(), &d), 0);
    EXPECT_EQ(Bytes(d), Pattern(5));
}

TEST_F(Transfer, WriteErrorClosesTheFileAndEmptiesTheBuffer) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    RecordingFile file;
    ASSERT_TRUE(file.Open("/dev/full", CFile::modeWrite));
    CData d;
    Own(d, Pattern(100));
    EXPECT_EQ(CDadRecordset::WriteFile(file, &d), 0);
    EXPECT_EQ(file.m_hFile, int{CFile::hFileNull});
    EXPECT_EQ(d.m_pData, nullptr);
    EXPECT_EQ(d.m_dwLength, 0u);

    Own(d, Pattern(100));
    EXPECT_EQ(CDadRecordset::WriteFile("/dev/full", &d), 0);
    EXPECT_EQ(d.m_dwLength, 0u);
}

// ---- long binary <-> caller memory ----

class BinaryBuffer : public Transfer {
protected:
    CDAVRIXRecordset m_set;
};

TEST_F(BinaryBuffer, BinToBufCopiesUpToTheCapacity) {
    const struct {
        DWORD capacity;
        DWORD copied;
    } cases[] = {{4, 4}, {10, 10}, {16, 10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.capacity);
        CLongBinary lb;
        Hold(lb, Pattern(10, 1));
        std::vector<BYTE> dest(20, 0xCC);
        DWORD copied = 99;
        m_set.BinToBuf(&lb, dest.data(), c.capacity, copied);
        EXPECT_EQ(copied, c.copied);
        std::vector<BYTE> expected(20, 0xCC);
        std::fill(expected.begin(), expected.begin() + c.capacity, 0);
        memcpy(expected.data(), Pattern(10, 1).data(), c.copied);
        EXPECT_EQ(dest, expected);
        EXPECT_EQ(GlobalLockCount(lb.m_hData), 0u);
    }
}

TEST_F(BinaryBuffer, BinToBufWithNothingToCopyLeavesTheDestination) {
    CLongBinary empty;
    std::vector<BYTE> dest(8, 0xCC);
    DWORD copied = 99;
    m_set.BinToBuf(&empty, dest.data(), 8, copied);
    EXPECT_EQ(copied, 0u);
    EXPECT_EQ(dest, std::vector<BYTE>(8, 0xCC));

    CLongBinary lb;
    Hold(lb, Pattern(4));
    copied = 99;
    m_set.BinToBuf(&lb, dest.data(), 0, copied);
    EXPECT_EQ(copied, 0u);
    EXPECT_EQ(dest, std::vector<BYTE>(8, 0xCC));
    m_set.BinToBuf(&lb, nullptr, 8, copied);
    EXPECT_EQ(copied, 0u);
}

TEST_F(BinaryBuffer, BufToBinReplacesTheValue) {
    CLongBinary lb;
    Hold(lb, Pattern(4));
    HGLOBAL old = lb.m_hData;
    std::vector<BYTE> src = Pattern(40, 2);
    m_set.BufToBin(&lb, src.data(), (DWORD)src.size());
    ASSERT_NE(lb.m_hData, nullptr);
    EXPECT_NE(lb.m_hData, old);
    EXPECT_EQ(lb.m_dwDataLength, 40u);
    EXPECT_EQ(GlobalLockCount(lb.m_hData), 0u);
    EXPECT_EQ(Bytes(lb), src);
}

TEST_F(BinaryBuffer, BufToBinWithNothingLeavesTheValue) {
    CLongBinary lb;
    Hold(lb, Pattern(4));
    HGLOBAL h = lb.m_hData;
    BYTE b = 1;
    m_set.BufToBin(&lb, nullptr, 4);
    m_set.BufToBin(&lb, &b, 0);
    EXPECT_EQ(lb.m_hData, h);
    EXPECT_EQ(lb.m_dwDataLength, 4u);
}

TEST_F(BinaryBuffer, BufToBinWithoutMemoryLeavesTheValueEmpty) {
    CLongBinary lb;
    Hold(lb, Pattern(4));
    BYTE src[3] = {1, 2, 3};
    AfxSetGlobalAllocFailures(1);
    m_set.BufToBin(&lb, src, 3);
    AfxSetGlobalAllocFailures(0);
    EXPECT_EQ(lb.m_hData, nullptr);
    EXPECT_EQ(lb.m_dwDataLength, 0u);
}

// The source lies in the long binary's own block.
TEST_F(BinaryBuffer, BufToBinFromTheOwnBlock) {
    CLongBinary lb;
    Hold(lb, Pattern(10));
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(lb.m_hData));
    m_set.BufToBin(&lb, p + 2, 6);
    EXPECT_EQ(Bytes(lb), Bytes(Pattern(10).data() + 2, 6));
}

}  // namespace
