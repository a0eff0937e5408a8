#include <davrixfw/CFileException.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace {

TEST(CFileException, OsErrorToCause) {
    struct Case {
        int err;
        int cause;
    };
    const Case cases[] = {
        {ENOENT, CFileException::fileNotFound},  {EACCES, CFileException::accessDenied},
        {EPERM, CFileException::accessDenied},   {EMFILE, CFileException::tooManyOpenFiles},
        {ENOSPC, CFileException::diskFull},      {EBADF, CFileException::invalidFile},
        {ENOTDIR, CFileException::badPath},      {ENAMETOOLONG, CFileException::badPath},
        {EIO, CFileException::hardIO},           {EISDIR, CFileException::genericException},
        {0, CFileException::genericException},   {-1, CFileException::genericException},
    };
    for (const Case& c : cases) EXPECT_EQ(c.cause, CFileException::OsErrorToException(c.err)) << "errno " << c.err;
}

TEST(CFileException, MessageNamesFileCauseAndSystemError) {
    CFileException e(CFileException::fileNotFound, ENOENT, "/no/such/file");
    char buf[512];
    ASSERT_TRUE(e.GetErrorMessage(buf, sizeof buf));
    std::string msg(buf);
    EXPECT_NE(std::string::npos, msg.find("/no/such/file")) << msg;
    EXPECT_NE(std::string::npos, msg.find("not be found")) << msg;
    EXPECT_NE(std::string::npos, msg.find(strerror(ENOENT))) << msg;

    CFileException odd(99);  // a cause outside the table still gives a text
    ASSERT_TRUE(odd.GetErrorMessage(buf, sizeof buf));
    EXPECT_STRNE("", buf);
}

TEST(CFileException, MessageCutOnCharacterBoundary) {
    // File name of two GBK characters: B2 E9 D1 AF.
    CFileException e(CFileException::accessDenied, EACCES, "\xB2\xE9\xD1\xAF");
    char buf[4];
    ASSERT_TRUE(e.GetErrorMessage(buf, sizeof buf));
    EXPECT_STREQ("\xB2\xE9", buf) << "three bytes of room hold one character, never half of the next";
}

}  // namespace
