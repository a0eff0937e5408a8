#include <davrixfw/WinText.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(WinText, Length) {
    EXPECT_EQ(0, lstrlenA(nullptr));
    EXPECT_EQ(0, lstrlenA(""));
    EXPECT_EQ(4, lstrlenA("\xB2\xE9\xD1\xAF"));
}

TEST(WinText, CompareIgnoringCase) {
    struct Case {
        const char* a;
        const char* b;
        int sign;
    };
    const Case cases[] = {
        {"abc", "ABC", 0},       {"abc", "abd", -1},         {"b", "A", 1},
        {nullptr, "", 0},        {nullptr, nullptr, 0},      {"", "a", -1},
        {"a", nullptr, 1},       {"ab", "abc", -1},          {"\x81" "a", "\x81" "A", 1},
        {"X\x81" "a", "x\x81" "a", 0},
    };
    for (const Case& c : cases) {
        int r = lstrcmpiA(c.a, c.b);
        int sign = r < 0 ? -1 : r > 0 ? 1 : 0;
        EXPECT_EQ(c.sign, sign) << (c.a ? c.a : "(null)") << " vs " << (c.b ? c.b : "(null)");
    }
}

TEST(WinText, CopyAtMost) {
    char buf[8];
    memset(buf, 'z', sizeof buf);
    EXPECT_EQ(buf, lstrcpynA(buf, "abcdefghij", 5));
    EXPECT_STREQ("abcd", buf);
    EXPECT_EQ('z', buf[5]);
    lstrcpynA(buf, "ab", 8);
    EXPECT_STREQ("ab", buf);
    lstrcpynA(buf, "ab", 1);
    EXPECT_STREQ("", buf);
    memset(buf, 'z', sizeof buf);
    lstrcpynA(buf, "ab", 0);
    EXPECT_EQ('z', buf[0]) << "nothing is written for a length of 0";
    lstrcpynA(buf, nullptr, 8);
    EXPECT_STREQ("", buf);
    EXPECT_EQ(nullptr, lstrcpynA(nullptr, "ab", 8));
}

TEST(WinText, CopyNeverEndsInHalfACharacter) {
    char buf[8];
    lstrcpynA(buf, "a\xB2\xE9\xD1\xAF", 5);  // room for 4 bytes: 'a', one character, not the lead of the next
    EXPECT_STREQ("a\xB2\xE9", buf);
    lstrcpynA(buf, "a\xB2\xE9\xD1\xAF", 6);
    EXPECT_STREQ("a\xB2\xE9\xD1\xAF", buf);
}

}  // namespace
