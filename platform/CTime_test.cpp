#include <davrixfw/CTime.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <time.h>

namespace {

// Runs a test in a given time zone and restores the process's zone afterwards.
class CTimeInZone : public ::testing::Test {
protected:
    void Use(const char* tz) {
        setenv("TZ", tz, 1);
        tzset();
    }
    void SetUp() override {
        const char* old = getenv("TZ");
        m_hadTz = old != nullptr;
        if (old) m_oldTz = old;
    }
    void TearDown() override {
        if (m_hadTz)
            setenv("TZ", m_oldTz.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool m_hadTz = false;
    std::string m_oldTz;
};

TEST_F(CTimeInZone, ComponentsAreLocalTime) {
    Use("CST-8");  // UTC+8 without daylight saving, as at the stations
    CTime t(1970, 1, 1, 8, 0, 0);
    EXPECT_EQ(0, t.GetTime());
    CTime u(2024, 2, 29, 13, 45, 30);
    ASSERT_TRUE(u.IsValid());
    EXPECT_EQ(1709185530, u.GetTime());
    EXPECT_EQ(2024, u.GetYear());
    EXPECT_EQ(2, u.GetMonth());
    EXPECT_EQ(29, u.GetDay());
    EXPECT_EQ(13, u.GetHour());
    EXPECT_EQ(45, u.GetMinute());
    EXPECT_EQ(30, u.GetSecond());
}

TEST_F(CTimeInZone, TimestampRoundTrip) {
    Use("CST-8");
    TIMESTAMP_STRUCT ts = {2023, 12, 31, 23, 59, 58, 123456789};
    CTime t(ts);
    ASSERT_TRUE(t.IsValid());
    TIMESTAMP_STRUCT back = t.GetAsTimestamp();
    EXPECT_EQ(2023, back.year);
    EXPECT_EQ(12, back.month);
    EXPECT_EQ(31, back.day);
    EXPECT_EQ(23, back.hour);
    EXPECT_EQ(59, back.minute);
    EXPECT_EQ(58, back.second);
    EXPECT_EQ(0u, back.fraction) << "the fraction is not kept";
    EXPECT_EQ(t, CTime(back));
}

TEST_F(CTimeInZone, DaylightSavingIsDecidedByTheZone) {
    Use("CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(CTime(2023, 7, 1, 12, 0, 0).GetTime(), 1688205600) << "summer: UTC+2";
    EXPECT_EQ(CTime(2023, 1, 1, 12, 0, 0).GetTime(), 1672570800) << "winter: UTC+1";
}

struct RangeCase {
    int y, mo, d, h, mi, s;
    bool valid;
};

TEST_F(CTimeInZone, MomentsOutside32BitsOrInvalidComponentsAreInvalid) {
    Use("UTC0");
    const RangeCase cases[] = {
        {2038, 1, 19, 3, 14, 7, true},     // INT32_MAX
        {2038, 1, 19, 3, 14, 8, false},    // one second later
        {1901, 12, 13, 20, 45, 52, true},  // INT32_MIN
        {1901, 12, 13, 20, 45, 51, false},
        {1900, 1, 1, 0, 0, 0, false},
        {0, 0, 0, 0, 0, 0, false},  // an all-zero timestamp
        {2023, 2, 29, 0, 0, 0, false},
        {2023, 13, 1, 0, 0, 0, false},
        {2023, 1, 32, 0, 0, 0, false},
        {2023, 1, 1, 24, 0, 0, false},
        {2023, 1, 1, 0, 60, 0, false},
        {2023, 1, 1, 0, 0, -1, false},
        {2024, 2, 29, 0, 0, 0, true},
    };
    for (const RangeCase& c : cases) {
        CTime t(c.y, c.mo, c.d, c.h, c.mi, c.s);
        EXPECT_EQ(c.valid, (bool)t.IsValid()) << c.y << "-" << c.mo << "-" << c.d << " " << c.h << ":" << c.mi << ":" << c.s;
        if (!c.valid) {
            EXPECT_EQ(-1, t.GetTime());
        }
    }
    EXPECT_EQ(INT32_MAX, CTime(2038, 1, 19, 3, 14, 7).GetTime());
    EXPECT_EQ(INT32_MIN, CTime(1901, 12, 13, 20, 45, 52).GetTime());
}

TEST(CTime, CurrentTimeAndComparison) {
    CTime now = CTime::GetCurrentTime();
    EXPECT_TRUE(now.IsValid());
    EXPECT_NEAR((double)time(nullptr), (double)now.GetTime(), 5.0);
    EXPECT_TRUE(CTime(1) < CTime(2));
    EXPECT_TRUE(CTime(2) != CTime(1));
    EXPECT_EQ(0, CTime().GetTime());
}

}  // namespace
