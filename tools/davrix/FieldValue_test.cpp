// Option values: strict numbers and times, and the one way times are shown.
#include "FieldValue.h"
#include "ToolError.h"

#include <gtest/gtest.h>

using namespace davrix::tool;

namespace {

TEST(FieldValue, Timestamps) {
    struct Case {
        const char* text;
        bool ok;
        const char* shown;
    };
    const Case cases[] = {
        {"2024-03-01", true, "2024-03-01 00:00:00"},
        {"2024-03-01 08:05", true, "2024-03-01 08:05:00"},
        {"2024-03-01T08:05:09", true, "2024-03-01 08:05:09"},
        {"2024-02-29 23:59:59.5", true, "2024-02-29 23:59:59.500"},
        {"2023-02-29", false, ""},
        {"2024-13-01", false, ""},
        {"2024-03-01 24:00", false, ""},
        {"2024-3-1", false, ""},
        {"2024-03-01 08:05:09x", false, ""},
        {"yesterday", false, ""},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        if (!c.ok) {
            EXPECT_THROW(ParseTimestamp(c.text, "--time"), ToolError) << c.text;
            continue;
        }
        EXPECT_EQ(c.shown, FormatTimestamp(ParseTimestamp(c.text, "--time"))) << c.text;
    }
}

TEST(FieldValue, Numbers) {
    EXPECT_EQ(42, ParseLong("42", "--n"));
    EXPECT_EQ(-7, ParseLong("-7", "--n"));
    EXPECT_EQ(2147483647, ParseLong("2147483647", "--n"));
    for (const char* bad : {"", "2147483648", "1e3", "12abc", " 1", "0x10"})
        EXPECT_THROW(ParseLong(bad, "--n"), ToolError) << bad;
    EXPECT_DOUBLE_EQ(12.75, ParseDouble("12.75", "--x"));
    for (const char* bad : {"", "inf", "nan", "1,5"}) EXPECT_THROW(ParseDouble(bad, "--x"), ToolError) << bad;

    TIMESTAMP_STRUCT ts{};
    ts.year = 2023;
    ts.month = 7;
    ts.day = 14;
    ts.hour = 9;
    ts.minute = 26;
    ts.second = 53;
    ts.fraction = 999000000;
    EXPECT_EQ("2023-07-14 09:26:53.125", FormatTimestampMs(ts, 125)) << "the separate milliseconds win";
}

}  // namespace
