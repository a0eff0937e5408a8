#include <davrixfw/CFile.h>

#include "TestOdbc.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace davrix::test;

namespace {

// A fresh folder per test for the files it makes.
class CFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string base = ConfigDir().empty() ? std::string("/tmp") : ConfigDir();
        std::string templ = base + "/cfileXXXXXX";
        ASSERT_NE(nullptr, mkdtemp(&templ[0]));
        m_dir = templ;
    }
    void TearDown() override { RunCommand("rm -rf '" + m_dir + "'"); }
    std::string Path(const char* name) const { return m_dir + "/" + name; }

    // The cause and errno of the CFileException that f raises; fails the test when none is raised.
    template <class F>
    std::pair<int, long> Raised(F f) {
        try {
            f();
        } catch (CFileException* e) {
            std::pair<int, long> r(e->m_cause, (long)e->m_lOsError);
            e->Delete();
            return r;
        }
        ADD_FAILURE() << "no CFileException";
        return {-1, -1};
    }

    std::string m_dir;
};

TEST_F(CFileTest, WriteReadAndPositions) {
    std::string path = Path("data.bin");
    {
        CFile f;
        ASSERT_TRUE(f.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
        EXPECT_EQ(path.c_str(), f.GetFilePath());
        f.Write("hello ", 6);
        f.Write("world", 5);
        f.Write("", 0);
        EXPECT_EQ(11u, f.GetPosition());
        EXPECT_EQ(11u, f.GetLength());
        f.Close();
        EXPECT_EQ(CFile::hFileNull, f.m_hFile);
    }
    CFile f(path.c_str(), CFile::modeRead);
    char buf[32] = {0};
    EXPECT_EQ(5u, f.Read(buf, 5));
    EXPECT_EQ("hello", std::string(buf, 5));
    EXPECT_EQ(5u, f.GetPosition());
    EXPECT_EQ(6u, f.Seek(1, CFile::current));
    EXPECT_EQ(5u, f.Read(buf, 5));
    EXPECT_EQ("world", std::string(buf, 5));
    EXPECT_EQ(0u, f.Read(buf, sizeof buf)) << "0 at the end";
    EXPECT_EQ(9u, f.Seek(-2, CFile::end));
    EXPECT_EQ(2u, f.Read(buf, sizeof buf)) << "fewer bytes only at the end";
    EXPECT_EQ(0u, f.Seek(0, CFile::begin));
    EXPECT_EQ(11u, f.Read(buf, sizeof buf));
}

TEST_F(CFileTest, CreateTruncatesUnlessNoTruncate) {
    std::string path = Path("t.txt");
    WriteTextFile(path, "0123456789");
    {
        CFile f(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
        EXPECT_EQ(10u, f.GetLength());
        f.Seek(0, CFile::end);
        f.Write("X", 1);
    }
    EXPECT_EQ("0123456789X", ReadTextFile(path));
    { CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive); }
    EXPECT_EQ("", ReadTextFile(path));
    mode_t mask = umask(022);
    umask(mask);
    { CFile f(Path("new.txt").c_str(), CFile::modeCreate | CFile::modeWrite | CFile::shareDenyNone); }
    struct stat st;
    ASSERT_EQ(0, stat(Path("new.txt").c_str(), &st));
    EXPECT_EQ(0644u & ~mask, st.st_mode & 0777u) << "created with 0644 less the umask";
}

TEST_F(CFileTest, OpenFailuresAreReported) {
    struct Case {
        std::string path;
        UINT flags;
        int cause;
        int err;
    };
    WriteTextFile(Path("plain"), "x");
    const Case cases[] = {
        {Path("missing"), CFile::modeRead, CFileException::fileNotFound, ENOENT},
        {Path("plain") + "/below", CFile::modeRead, CFileException::badPath, ENOTDIR},
        {Path("missing") + "/below", CFile::modeCreate | CFile::modeWrite, CFileException::fileNotFound, ENOENT},
        {Path(std::string(300, 'n').c_str()), CFile::modeRead, CFileException::badPath, ENAMETOOLONG},
        {m_dir, CFile::modeWrite, CFileException::genericException, EISDIR},
        {"", CFile::modeRead, CFileException::fileNotFound, ENOENT},
        {Path("plain"), CFile::modeWrite | CFile::modeReadWrite, CFileException::genericException, EINVAL},
    };
    for (const Case& c : cases) {
        CFile f;
        CFileException e;
        EXPECT_FALSE(f.Open(c.path.c_str(), c.flags, &e)) << c.path;
        EXPECT_EQ(c.cause, e.m_cause) << c.path;
        EXPECT_EQ(c.err, e.m_lOsError) << c.path;
        EXPECT_EQ(c.path.c_str(), e.m_strFileName);
        EXPECT_EQ(CFile::hFileNull, f.m_hFile);
        EXPECT_FALSE(f.Open(c.path.c_str(), c.flags)) << "no exception object needed";
    }
    auto r = Raised([&] { CFile f(Path("missing").c_str(), CFile::modeRead); });
    EXPECT_EQ(CFileException::fileNotFound, r.first);
    EXPECT_EQ(ENOENT, r.second);
}

TEST_F(CFileTest, OperationsRaise) {
    WriteTextFile(Path("r.txt"), "abc");
    CFile f(Path("r.txt").c_str(), CFile::modeRead);
    auto r = Raised([&] { f.Write("x", 1); });
    EXPECT_EQ(CFileException::invalidFile, r.first) << "write on a read-only descriptor";
    EXPECT_EQ(EBADF, r.second);

    r = Raised([&] { f.Seek(-10, CFile::begin); });
    EXPECT_EQ(CFileException::badSeek, r.first);
    EXPECT_EQ(0u, f.GetPosition()) << "a failed seek leaves the position";
    r = Raised([&] { f.Seek(0, 7); });
    EXPECT_EQ(CFileException::badSeek, r.first);

    CFile closed;
    char buf[4];
    r = Raised([&] { closed.Read(buf, sizeof buf); });
    EXPECT_EQ(CFileException::invalidFile, r.first);
    r = Raised([&] { closed.GetLength(); });
    EXPECT_EQ(CFileException::invalidFile, r.first);
    r = Raised([&] { closed.GetPosition(); });
    EXPECT_EQ(CFileException::invalidFile, r.first);
}

TEST_F(CFileTest, WriteToAFullDeviceRaises) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    CFile f("/dev/full", CFile::modeWrite);
    auto r = Raised([&] { f.Write("x", 1); });
    EXPECT_EQ(CFileException::diskFull, r.first);
    EXPECT_EQ(ENOSPC, r.second);
}

TEST_F(CFileTest, CloseIsIdempotentAndMarksClosedFirst) {
    CFile f(Path("c.txt").c_str(), CFile::modeCreate | CFile::modeWrite);
    f.Close();
    f.Close();
    f.Abort();
    EXPECT_EQ(CFile::hFileNull, f.m_hFile);

    // A descriptor closed behind the object's back: Close raises, and the object is closed.
    CFile g(Path("c.txt").c_str(), CFile::modeRead);
    close(g.m_hFile);
    auto r = Raised([&] { g.Close(); });
    EXPECT_EQ(CFileException::invalidFile, r.first);
    EXPECT_EQ(CFile::hFileNull, g.m_hFile);
}

TEST_F(CFileTest, OpeningAgainClosesThePreviousFile) {
    WriteTextFile(Path("a"), "A");
    WriteTextFile(Path("b"), "B");
    CFile f(Path("a").c_str(), CFile::modeRead);
    int first = f.m_hFile;
    ASSERT_TRUE(f.Open(Path("b").c_str(), CFile::modeRead));
    char c = 0;
    EXPECT_EQ(1u, f.Read(&c, 1));
    EXPECT_EQ('B', c);
    // The first descriptor is closed (its number may have been reused for the second file).
    char target[4096] = {0};
    ssize_t n = readlink(("/proc/self/fd/" + std::to_string(first)).c_str(), target, sizeof target - 1);
    if (n > 0) {
        EXPECT_NE(Path("a"), std::string(target, (size_t)n));
    }
}

TEST_F(CFileTest, DescriptorsAreNotInherited) {
    CFile f(Path("e.txt").c_str(), CFile::modeCreate | CFile::modeWrite);
    EXPECT_TRUE(fcntl(f.m_hFile, F_GETFD) & FD_CLOEXEC);
}

}  // namespace
