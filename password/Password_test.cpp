#include <davrixdb/password/Password.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace {

const std::string kMarker = "((__~~!$%+=PpugiyYkelqLfuywRdgydHbyv=+%$!~~__))";

std::vector<BYTE> Bytes(const std::string& s) { return std::vector<BYTE>(s.begin(), s.end()); }

std::vector<BYTE> Crypt(const std::vector<BYTE>& in, int bEncrypt) {
    std::vector<BYTE> out(in.size() + 1, 0xCC);  // one guard byte past the end
    BYTE resultLen = 0xAA;
    geTivCryptograph(in.data(), out.data(), (BYTE)in.size(), resultLen, bEncrypt);
    EXPECT_EQ(resultLen, in.size());
    EXPECT_EQ(out.back(), 0xCC) << "wrote past the length";
    out.pop_back();
    return out;
}

// A password of n characters over the bytes 1..255, different for every length.
std::string Password(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += (char)(1 + (i * 37 + n * 11) % 255);
    return s;
}

struct Vector {
    const char* plain;
    std::vector<BYTE> scrambled;
};

TEST(Cryptograph, KnownVectorsBothWays) {
    const Vector cases[] = {
        {"a", {0x85}},                            // rotl 2
        {"ab", {0x85, 0x26}},                     // rotl 4 for the second byte
        {"abc", {0x85, 0x26, 0xE6}},
        {"abcd", {0x85, 0x26, 0xE6, 0x42}},
        {"abcde", {0x85, 0x26, 0xE6, 0x42, 0x83}},  // an odd length ends with a half pair
    };
    for (const Vector& c : cases) {
        SCOPED_TRACE(c.plain);
        EXPECT_EQ(Crypt(Bytes(c.plain), 1), c.scrambled);
        EXPECT_EQ(Crypt(c.scrambled, 0), Bytes(c.plain));
    }
}

TEST(Cryptograph, ZeroLengthWritesNothing) {
    BYTE src[2] = {1, 2};
    BYTE dst[2] = {0xCC, 0xCC};
    for (int dir : {0, 1}) {
        BYTE resultLen = 9;
        geTivCryptograph(src, dst, 0, resultLen, dir);
        EXPECT_EQ(resultLen, 0);
        EXPECT_EQ(dst[0], 0xCC);
        EXPECT_EQ(dst[1], 0xCC);
    }
}

// Any bytes, zeros included, and every length the 8-bit count allows.
TEST(Cryptograph, RoundTripsEveryLengthInPlace) {
    for (int n = 1; n <= 255; ++n) {
        SCOPED_TRACE(n);
        std::vector<BYTE> plain(n);
        for (int i = 0; i < n; ++i) plain[i] = (BYTE)(i * 53 + n);
        std::vector<BYTE> buf = plain;
        BYTE len = 0;
        geTivCryptograph(buf.data(), buf.data(), (BYTE)n, len, 1);
        ASSERT_EQ(buf, Crypt(plain, 1)) << "in-place scrambling differs";
        geTivCryptograph(buf.data(), buf.data(), (BYTE)n, len, 0);
        ASSERT_EQ(buf, plain) << "in-place unscrambling differs";
    }
}

TEST(SetPWD, ScramblesIntoDestinationAndZeroesTheRest) {
    BYTE dest[10];
    memset(dest, 0xCC, sizeof(dest));
    BYTE len = sizeof(dest);
    ASSERT_EQ(geSetPWD("abc", dest, len), 1);
    EXPECT_EQ(len, 3);
    const BYTE expected[10] = {0x85, 0x26, 0xE6, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(memcmp(dest, expected, sizeof(dest)), 0);
}

TEST(SetPWD, CapacityExactlyTheLengthSucceedsOneLessFails) {
    BYTE dest[3];
    memset(dest, 0xCC, sizeof(dest));
    BYTE len = 3;
    ASSERT_EQ(geSetPWD("abc", dest, len), 1);
    EXPECT_EQ(len, 3);
    EXPECT_EQ(dest[2], 0xE6);

    memset(dest, 0xCC, sizeof(dest));
    len = 2;
    EXPECT_EQ(geSetPWD("abc", dest, len), 0);
    EXPECT_EQ(len, 2);
    EXPECT_EQ(dest[0], 0);
    EXPECT_EQ(dest[1], 0);
    EXPECT_EQ(dest[2], 0xCC) << "zeroed beyond the capacity";
}

TEST(SetPWD, EmptyAndNullStoreTheMarker) {
    const std::vector<BYTE> marker = Crypt(Bytes(kMarker), 1);
    ASSERT_EQ(marker.size(), 47u);
    for (const char* pwd : {"", (const char*)nullptr}) {
        SCOPED_TRACE(pwd ? "empty" : "null");
        std::vector<BYTE> dest(64, 0xCC);
        BYTE len = 46;
        EXPECT_EQ(geSetPWD(pwd, dest.data(), len), 0);
        EXPECT_EQ(len, 46);
        EXPECT_EQ(std::vector<BYTE>(dest.begin(), dest.begin() + 46), std::vector<BYTE>(46, 0));

        len = 47;
        ASSERT_EQ(geSetPWD(pwd, dest.data(), len), 1);
        EXPECT_EQ(len, 47);
        EXPECT_EQ(std::vector<BYTE>(dest.begin(), dest.begin() + 47), marker);
        EXPECT_EQ(geGetPWD(dest.data(), len), "");
    }
}

// The stored length is 8 bits; a long password must be refused, never wrap to a short or
// empty one, and never overrun the work buffer.
TEST(SetPWD, RefusesSixtyFourCharactersAndMore) {
    for (int n : {64, 65, 200, 255, 256, 257, 300, 1000}) {
        SCOPED_TRACE(n);
        std::string pwd(n, 'x');
        std::vector<BYTE> dest(255, 0xCC);
        BYTE len = 255;
        EXPECT_EQ(geSetPWD(pwd.c_str(), dest.data(), len), 0);
        EXPECT_EQ(len, 255);
        EXPECT_EQ(dest, std::vector<BYTE>(255, 0));
    }
}

TEST(SetGetPWD, RoundTripsEveryLengthUpTo63) {
    for (int n = 1; n <= 63; ++n) {
        SCOPED_TRACE(n);
        std::string pwd = Password(n);
        BYTE dest[64];
        BYTE len = sizeof(dest);
        ASSERT_EQ(geSetPWD(pwd.c_str(), dest, len), 1);
        ASSERT_EQ(len, n);
        EXPECT_EQ(std::string(geGetPWD(dest, len).GetString()), pwd);
    }
}

TEST(SetGetPWD, ScrambledFormMayHoldZeros) {
    // The third byte equals the first scrambled byte (0x85), so the third scrambled byte is 0.
    const char pwd[] = "ab\x85" "d";
    BYTE dest[8];
    BYTE len = sizeof(dest);
    ASSERT_EQ(geSetPWD(pwd, dest, len), 1);
    ASSERT_EQ(len, 4);
    EXPECT_EQ(dest[2], 0);
    EXPECT_EQ(std::string(geGetPWD(dest, len).GetString()), pwd);
}

TEST(GetPWD, MarkerInAnyLetterCaseReadsBackEmpty) {
    std::string upper = kMarker, lower = kMarker;
    for (char& c : upper) c = (char)toupper((unsigned char)c);
    for (char& c : lower) c = (char)tolower((unsigned char)c);
    for (const std::string& text : {kMarker, upper, lower}) {
        SCOPED_TRACE(text);
        std::vector<BYTE> s = Crypt(Bytes(text), 1);
        EXPECT_EQ(geGetPWD(s.data(), (BYTE)s.size()), "");
    }
    // One character more is a real password.
    std::vector<BYTE> s = Crypt(Bytes(kMarker + "x"), 1);
    EXPECT_EQ(std::string(geGetPWD(s.data(), (BYTE)s.size()).GetString()), kMarker + "x");
}

TEST(GetPWD, CorruptedValueEndsAtAnInnerZero) {
    std::vector<BYTE> s = Crypt(Bytes("abcdef"), 1);
    s[3] = s[1];  // position 3 unscrambles to 0
    EXPECT_EQ(geGetPWD(s.data(), (BYTE)s.size()), "abc");
}

TEST(GetPWD, EmptyForNullZeroAndSixtyFourBytesOrMore) {
    BYTE s[255];
    memset(s, 0x41, sizeof(s));
    EXPECT_EQ(geGetPWD(nullptr, 5), "");
    EXPECT_EQ(geGetPWD(s, 0), "");
    EXPECT_EQ(geGetPWD(s, 64), "");
    EXPECT_EQ(geGetPWD(s, 255), "");
    EXPECT_FALSE(geGetPWD(s, 63).IsEmpty());
}

}  // namespace
