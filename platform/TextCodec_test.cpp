#include "TextCodec.h"
#include "TestOdbc.h"

#include <gtest/gtest.h>

#include <iconv.h>
#include <string>
#include <thread>
#include <vector>

using namespace davrix::text;

namespace {

// "查询数据库失败：没有指定的记录。"
const std::string kUtf8 =
    "\xE6\x9F\xA5\xE8\xAF\xA2\xE6\x95\xB0\xE6\x8D\xAE\xE5\xBA\x93\xE5\xA4\xB1\xE8\xB4\xA5\xEF\xBC\x9A"
    "\xE6\xB2\xA1\xE6\x9C\x89\xE6\x8C\x87\xE5\xAE\x9A\xE7\x9A\x84\xE8\xAE\xB0\xE5\xBD\x95\xE3\x80\x82";
const std::string kGbk =
    "\xB2\xE9\xD1\xAF\xCA\xFD\xBE\xDD\xBF\xE2\xCA\xA7\xB0\xDC\xA3\xBA"
    "\xC3\xBB\xD3\xD0\xD6\xB8\xB6\xA8\xB5\xC4\xBC\xC7\xC2\xBC\xA1\xA3";

std::string From(const std::string& utf8, size_t nMax = std::string::npos) {
    std::string out = "stale";
    FromUtf8(utf8.data(), utf8.size(), out, nMax);
    return out;
}

TEST(TextCodec, RoundTripsTheCodePage) {
    std::string utf8;
    ASSERT_TRUE(ToUtf8(kGbk.data(), kGbk.size(), utf8));
    EXPECT_EQ(kUtf8, utf8);
    EXPECT_EQ(kGbk, From(kUtf8));
    std::string mixed = "id=7, " + kGbk + " [x]";
    ASSERT_TRUE(ToUtf8(mixed.data(), mixed.size(), utf8));
    EXPECT_EQ("id=7, " + kUtf8 + " [x]", utf8);
    EXPECT_EQ(mixed, From(utf8));
    EXPECT_STREQ("GBK", AcpName());
}

TEST(TextCodec, AsciiAndEmptyPassUnchanged) {
    std::string out = "stale";
    ASSERT_TRUE(ToUtf8("", 0, out));
    EXPECT_EQ("", out);
    EXPECT_EQ("", From(""));
    std::string withZero("a\0b", 3);
    ASSERT_TRUE(ToUtf8(withZero.data(), withZero.size(), out));
    EXPECT_EQ(withZero, out);
    EXPECT_EQ(withZero, From(withZero));
    EXPECT_TRUE(IsAscii("plain text", 10));
    EXPECT_FALSE(IsAscii(kGbk.data(), kGbk.size()));
}

TEST(TextCodec, CharactersWithoutAGbkFormBecomeQuestionMarks) {
    struct Case {
        const char* what;
        std::string utf8;
        std::string gbk;
    };
    const Case cases[] = {
        {"emoji", "a\xF0\x9F\x98\x80" "b", "a?b"},
        {"two emoji", "\xF0\x9F\x98\x80\xF0\x9F\x98\x81", "??"},
        {"emoji between Chinese", "\xE6\x9F\xA5\xF0\x9F\x98\x80\xE8\xAF\xA2", "\xB2\xE9?\xD1\xAF"},
        {"stray continuation byte", "a\x80" "b", "a?b"},
        {"lead byte without its continuation", "a\xE6" "bc", "a?bc"},
        {"invalid byte", "\xFF" "z", "?z"},
        {"overlong encoding", "\xC0\xAF" "z", "?z"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.gbk, From(c.utf8)) << c.what;
}

TEST(TextCodec, IncompleteTailIsDropped) {
    // The first two of the three bytes of "询" at the end: a driver cut the value.
    EXPECT_EQ("\xB2\xE9", From("\xE6\x9F\xA5\xE8\xAF"));
    EXPECT_EQ("ab", From("ab\xF0\x9F\x98"));
}

TEST(TextCodec, InvalidGbkIsRefused) {
    struct Case {
        const char* what;
        std::string gbk;
    };
    const Case cases[] = {
        {"lone lead byte at the end", "ab\xB2"},
        {"lead byte before a space", "\xB2 x"},
        {"lead byte before a zero byte", std::string("\xB2\0", 2)},
        {"0xFF", "a\xFF"},
    };
    std::string out;
    for (const Case& c : cases) EXPECT_FALSE(ToUtf8(c.gbk.data(), c.gbk.size(), out)) << c.what;
}

TEST(TextCodec, CutOnBoundary) {
    struct Case {
        std::string text;
        size_t max;
        size_t cut;
    };
    const Case cases[] = {
        {"abc", 2, 2},
        {"abc", 10, 3},
        {"a\xB2\xE9" "b", 2, 1},
        {"a\xB2\xE9" "b", 3, 3},
        {"\xB2\xE9\xD1\xAF", 3, 2},
        {"\xB2\xE9\xD1\xAF", 0, 0},
        {"\x81" "a" "b", 1, 0},  // 0x81 0x61 is one character
        {"ab\xB2", 3, 3},        // a lone lead byte at the end counts as one byte
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.cut, CutOnBoundary(c.text.data(), c.text.size(), c.max)) << c.text << " max " << c.max;
}

TEST(TextCodec, FromUtf8HonoursTheLimit) {
    EXPECT_EQ(kGbk.substr(0, 6), From(kUtf8, 7)) << "never half a character";
    EXPECT_EQ(kGbk.substr(0, 8), From(kUtf8, 8));
    EXPECT_EQ("abc", From("abcdef", 3));
    EXPECT_EQ("", From(kUtf8, 1));
    EXPECT_EQ("a", From("a\xE6\x9F\xA5", 2));
}

TEST(TextCodec, ConvertsOnManyThreadsAtOnce) {
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 2000; ++i) {
                std::string u, g;
                if (!ToUtf8(kGbk.data(), kGbk.size(), u) || u != kUtf8) ++failures[t];
                FromUtf8(kUtf8.data(), kUtf8.size(), g);
                if (g != kGbk) ++failures[t];
            }
        });
    for (std::thread& th : threads) th.join();
    for (int f : failures) EXPECT_EQ(0, f);
}

TEST(TextCodec, AgreesWithIndependentConversion) {
    // A larger sample: every character of the GB2312 block 0xB0A1..0xB0FE.
    std::string gbk;
    for (int b = 0xA1; b <= 0xFE; ++b) {
        gbk += '\xB0';
        gbk += (char)b;
    }
    std::string utf8;
    ASSERT_TRUE(ToUtf8(gbk.data(), gbk.size(), utf8));
    EXPECT_EQ(davrix::test::GbkToUtf8(gbk), utf8);
    EXPECT_EQ(gbk, From(utf8));
}

TEST(TextCodec, AgreesWithIconvOnEveryCharacterOfThePlane) {
    // Texts are converted through a table filled from iconv page by page; every character
    // of the Basic Multilingual Plane, inside a text, must come out as iconv makes it.
    iconv_t cd = iconv_open("GBK", "UTF-8");
    ASSERT_NE((iconv_t)-1, cd);
    int differences = 0;
    for (unsigned cp = 0x80; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        std::string utf8 = "a";
        if (cp < 0x800) {
            utf8 += (char)(0xC0 | cp >> 6);
        } else {
            utf8 += (char)(0xE0 | cp >> 12);
            utf8 += (char)(0x80 | (cp >> 6 & 0x3F));
        }
        utf8 += (char)(0x80 | (cp & 0x3F));
        utf8 += "b";
        char out[16];
        char* src = &utf8[0];
        char* dst = out;
        size_t srcLeft = utf8.size(), dstLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        std::string expected = iconv(cd, &src, &srcLeft, &dst, &dstLeft) == (size_t)-1
                                   ? std::string("a?b")
                                   : std::string(out, sizeof out - dstLeft);
        if (From(utf8) != expected && ++differences <= 5) ADD_FAILURE() << "U+" << std::hex << cp;
    }
    iconv_close(cd);
    EXPECT_EQ(0, differences);
}

}  // namespace
