#include <davrixfw/CMemoryException.h>
#include <davrixfw/CString.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

namespace {

std::string Bytes(const CString& s) { return std::string(s.GetString(), (size_t)s.GetLength()); }

TEST(CString, FreshTextHasNoStorage) {
    CString s;
    EXPECT_EQ(0, s.GetLength());
    EXPECT_EQ(0, s.GetAllocLength());
    EXPECT_STREQ("", s.GetString());
    CString fromNull(static_cast<const char*>(nullptr));
    EXPECT_TRUE(fromNull.IsEmpty());
    EXPECT_EQ(0, fromNull.GetAllocLength());
}

TEST(CString, CapacityIsApartFromLength) {
    CString s("abc");
    EXPECT_EQ(3, s.GetLength());
    char* p = s.GetBuffer(100);
    EXPECT_GE(s.GetAllocLength(), 100);
    EXPECT_STREQ("abc", p) << "GetBuffer keeps the text";
    EXPECT_EQ(3, s.GetLength());
    strcpy(p, "hello world");
    s.ReleaseBuffer();
    EXPECT_EQ(11, s.GetLength());
    EXPECT_EQ("hello world", s);
    EXPECT_GE(s.GetAllocLength(), 100) << "ReleaseBuffer keeps the capacity";

    // GetBuffer never shrinks.
    int cap = s.GetAllocLength();
    s.GetBuffer(2);
    EXPECT_EQ(cap, s.GetAllocLength());
    s.ReleaseBuffer(5);
    EXPECT_EQ("hello", s);
    EXPECT_EQ(cap, s.GetAllocLength());

    s.Empty();
    EXPECT_EQ(0, s.GetAllocLength()) << "Empty releases the storage";
    EXPECT_STREQ("", s.GetString());
}

TEST(CString, ReleaseBufferStopsAtCapacityWithoutTerminator) {
    CString s;
    char* p = s.GetBuffer(4);
    int cap = s.GetAllocLength();
    memset(p, 'x', (size_t)cap);  // no zero within capacity: the length is the capacity
    s.ReleaseBuffer();
    EXPECT_EQ(cap, s.GetLength());
    EXPECT_EQ(0, s.GetString()[cap]);
    // An explicit length beyond capacity is clamped.
    s.ReleaseBuffer(cap + 50);
    EXPECT_EQ(cap, s.GetLength());
}

TEST(CString, GetBufferOnEmptyTextIsWritable) {
    CString a, b;
    char* p = a.GetBuffer(0);
    p[0] = 0;
    a.ReleaseBuffer();
    EXPECT_EQ(0, a.GetLength());
    EXPECT_STREQ("", b.GetString()) << "other empty texts are unaffected";
    CString c;
    c.GetBufferSetLength(3)[1] = 'q';
    EXPECT_EQ(3, c.GetLength());
    EXPECT_EQ('q', c[1]);
}

TEST(CString, CopiesAreDeepAndMovesLeaveEmpty) {
    CString a("text");
    CString b(a);
    b.SetAt(0, 'n');
    EXPECT_EQ("text", a);
    EXPECT_EQ("next", b);
    a.GetBuffer(64);
    CString c(std::move(a));
    EXPECT_EQ("text", c);
    EXPECT_EQ(0, a.GetLength());
    EXPECT_EQ(0, a.GetAllocLength());
    EXPECT_STREQ("", a.GetString());
    b = std::move(c);
    EXPECT_EQ("text", b);
    EXPECT_EQ(0, c.GetAllocLength());
    a = "reused after move";
    EXPECT_EQ("reused after move", a);
}

TEST(CString, EmbeddedZerosCountInLengthAndEquality) {
    CString a("a\0b", 3), b("a\0c", 3);
    EXPECT_EQ(3, a.GetLength());
    EXPECT_NE(a, b);
    EXPECT_EQ(a, CString("a\0b", 3));
}

TEST(CString, SelfReferencingOperations) {
    CString s("abc");
    s += s;
    EXPECT_EQ("abcabc", s);
    s += s.GetString() + 3;  // a pointer into the text itself
    EXPECT_EQ("abcabcabc", s);
    s = s.GetString() + 6;
    EXPECT_EQ("abc", s);
    s.Format("%s-%s", s.GetString(), s.GetString());
    EXPECT_EQ("abc-abc", s);
    s.Replace("abc", s.GetString());  // the replacement is the text before the call
    EXPECT_EQ("abc-abc-abc-abc", s);
}

TEST(CString, AppendsGrowGeometrically) {
    CString s;
    int reallocations = 0;
    const char* last = s.GetString();
    for (int i = 0; i < 10000; ++i) {
        s += 'x';
        if (s.GetString() != last) ++reallocations;
        last = s.GetString();
    }
    EXPECT_EQ(10000, s.GetLength());
    EXPECT_LT(reallocations, 40);
}

struct ClampCase {
    const char* what;
    CString (*op)(const CString&);
    const char* expected;
};

TEST(CString, LeftRightMidClampTheirCounts) {
    const ClampCase cases[] = {
        {"Left(-1)", [](const CString& s) { return s.Left(-1); }, ""},
        {"Left(3)", [](const CString& s) { return s.Left(3); }, "abc"},
        {"Left(99)", [](const CString& s) { return s.Left(99); }, "abcdef"},
        {"Right(-5)", [](const CString& s) { return s.Right(-5); }, ""},
        {"Right(2)", [](const CString& s) { return s.Right(2); }, "ef"},
        {"Right(99)", [](const CString& s) { return s.Right(99); }, "abcdef"},
        {"Mid(-2)", [](const CString& s) { return s.Mid(-2); }, "abcdef"},
        {"Mid(4)", [](const CString& s) { return s.Mid(4); }, "ef"},
        {"Mid(6)", [](const CString& s) { return s.Mid(6); }, ""},
        {"Mid(99)", [](const CString& s) { return s.Mid(99); }, ""},
        {"Mid(2,2)", [](const CString& s) { return s.Mid(2, 2); }, "cd"},
        {"Mid(2,-1)", [](const CString& s) { return s.Mid(2, -1); }, ""},
        {"Mid(4,99)", [](const CString& s) { return s.Mid(4, 99); }, "ef"},
    };
    CString s("abcdef");
    for (const ClampCase& c : cases) EXPECT_EQ(c.expected, Bytes(c.op(s))) << c.what;
}

TEST(CString, Find) {
    CString s("hello world");
    EXPECT_EQ(4, s.Find('o'));
    EXPECT_EQ(7, s.Find('o', 5));
    EXPECT_EQ(-1, s.Find('z'));
    EXPECT_EQ(-1, s.Find('o', 50));
    EXPECT_EQ(4, s.Find('o', -3));
    EXPECT_EQ(6, s.Find("world"));
    EXPECT_EQ(-1, s.Find("worlds"));
    EXPECT_EQ(-1, s.Find(static_cast<const char*>(nullptr)));
    EXPECT_EQ(7, s.ReverseFind('o'));
    EXPECT_EQ(-1, s.ReverseFind('z'));
    EXPECT_EQ(-1, CString().Find('a'));
}

TEST(CString, FindNeverMatchesATrailByte) {
    // 0x81 0x5C is one GBK character whose trail byte is '\'; 0x81 0x61 one whose trail is 'a'.
    CString s("\x81\x5C\\x\x81" "a");
    EXPECT_EQ(2, s.Find('\\'));
    EXPECT_EQ(2, s.ReverseFind('\\'));
    EXPECT_EQ(-1, s.Find('a'));
    EXPECT_EQ(-1, s.Find("ax"));
    EXPECT_EQ(0, s.Replace("a", "b"));
    EXPECT_EQ(1, s.Replace("\\", "/"));
    EXPECT_EQ(std::string("\x81\x5C/x\x81" "a"), Bytes(s));
}

TEST(CString, CaseChangeSkipsGbkTrailBytes) {
    // 0x81 0x61: a GBK character whose trail byte is 'a'; B2 E9 D1 AF: two more characters.
    CString s("ab\x81" "a\xB2\xE9\xD1\xAF" "cD");
    s.MakeUpper();
    EXPECT_EQ(std::string("AB\x81" "a\xB2\xE9\xD1\xAF" "CD"), Bytes(s));
    CString t("AB\x81" "A" "xY");
    t.MakeLower();
    EXPECT_EQ(std::string("ab\x81" "A" "xy"), Bytes(t));
    // A lone lead byte at the end is left alone and does not swallow anything.
    CString u("a\x81");
    u.MakeUpper();
    EXPECT_EQ(std::string("A\x81"), Bytes(u));
}

TEST(CString, CompareNoCaseFoldsAsciiOnly) {
    EXPECT_EQ(0, CString("Table_1").CompareNoCase("tABLE_1"));
    EXPECT_LT(CString("abc").CompareNoCase("ABD"), 0);
    EXPECT_GT(CString("b").CompareNoCase(nullptr), 0);
    EXPECT_NE(0, CString("\x81" "a").CompareNoCase("\x81" "A")) << "different GBK characters";
    EXPECT_EQ(0, CString("x\x81" "aY").CompareNoCase("X\x81" "ay"));
}

TEST(CString, ComparisonOperators) {
    CString a("abc");
    EXPECT_TRUE(a == "abc");
    EXPECT_TRUE("abc" == a);
    EXPECT_TRUE(a != "abd");
    EXPECT_TRUE("abd" != a);
    EXPECT_TRUE(a < CString("abd"));
    EXPECT_FALSE(CString("abd") < a);
    EXPECT_TRUE(CString() == static_cast<const char*>(nullptr));
    EXPECT_LT(a.Compare("b"), 0);
    EXPECT_LT(CString("a").Compare("\xB2\xE9"), 0) << "bytes compare unsigned";
}

TEST(CString, Concatenation) {
    CString a("ab");
    EXPECT_EQ("abcd", a + CString("cd"));
    EXPECT_EQ("abcd", a + "cd");
    EXPECT_EQ("cdab", "cd" + a);
    EXPECT_EQ("abc", a + 'c');
    EXPECT_EQ("ab", a + static_cast<const char*>(nullptr));
    CString b(a);
    b += 'z';
    b += CString();
    EXPECT_EQ("abz", b);
    EXPECT_EQ("zzz", CString('z', 3));
    EXPECT_EQ("", CString('z', -1));
}

TEST(CString, Trim) {
    CString s(" \t\r\n text \n");
    s.TrimLeft();
    EXPECT_EQ("text \n", s);
    s.TrimRight();
    EXPECT_EQ("text", s);
    CString blank("   ");
    blank.TrimRight();
    EXPECT_TRUE(blank.IsEmpty());
}

TEST(CString, Replace) {
    CString s("a.b.c");
    EXPECT_EQ(2, s.Replace(".", "::"));
    EXPECT_EQ("a::b::c", s);
    EXPECT_EQ(2, s.Replace("::", nullptr));
    EXPECT_EQ("abc", s);
    EXPECT_EQ(0, s.Replace("", "x"));
    EXPECT_EQ(0, s.Replace(nullptr, "x"));
    CString aaa("aaaa");
    EXPECT_EQ(2, aaa.Replace("aa", "a"));  // non-overlapping, left to right
    EXPECT_EQ("aa", aaa);
}

TEST(CString, Format) {
    CString s;
    s.Format("%d-%s-%05.1f", 42, "x", 3.14159);
    EXPECT_EQ("42-x-003.1", s);
    std::string big(5000, 'q');
    s.Format("<%s>", big.c_str());
    EXPECT_EQ(5002, s.GetLength());
    s.Format("%s", "");
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CString, GetAtSetAt) {
    CString s("abc");
    EXPECT_EQ('b', s.GetAt(1));
    EXPECT_EQ('c', s[2]);
    s.SetAt(1, 'X');
    EXPECT_EQ("aXc", s);
}

}  // namespace
