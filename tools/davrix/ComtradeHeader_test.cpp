// The COMTRADE header parser on its own: the three revisions, and every kind of malformed
// header reported with the right line.
#include "ComtradeHeader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using davrix::tool::ComtradeHeader;

namespace {

// A well-formed 1999 header, one entry per line (line n is element n - 1).
std::vector<std::string> Header1999() {
    return {
        "East 220kV,FR-01,1999",
        "3,2A,1D",
        "1,Ua,A,Line 1,kV,0.0275,0,0,-32767,32767,220,0.1,S",
        "2,Ia,A,Line 1,A,0.125,0,0,-32767,32767,600,1,P",
        "1,Trip,,Line 1,0",
        "50",
        "1",
        "1200,360",
        "14/07/2023,09:26:53.025000",
        "14/07/2023,09:26:53.125000",
        "ASCII",
        "1",
    };
}

std::string Join(const std::vector<std::string>& lines, const char* end = "\r\n") {
    std::string text;
    for (const std::string& l : lines) text += l + end;
    return text;
}

TEST(ComtradeHeader, ReadsTheRevisions) {
    std::vector<std::string> v1999 = Header1999();

    std::vector<std::string> v2013 = Header1999();
    v2013[0] = "东郊变电站,FR-02,2013";
    v2013[9] = "02/08/2023,14:30:11.480250999";
    v2013.push_back("+8h00,+8h00");
    v2013.push_back("0,0");

    std::vector<std::string> v1991 = {
        "Old Mill,REC-9",
        "3,2A,1D",
        "1,Ua,A,Line 1,kV,0.0275,0,0,-32767,32767",
        "2,Ia,A,Line 1,A,0.125,0,0,-32767,32767",
        "1,Trip,0",
        "60",
        "1",
        "960,300",
        "12/31/99,23:59:59.900000",
        "01/01/00,00:00:00.000500",
        "BINARY",
    };

    std::vector<std::string> noTimemult = Header1999();
    noTimemult.pop_back();

    struct Case {
        const char* why;
        std::string text;
        int revision;
        const char* station;
        const char* device;
        int year, month, day, hour, minute, second, ms;
        const char* fileType;
    };
    const Case cases[] = {
        {"1999, CR LF", Join(v1999), 1999, "East 220kV", "FR-01", 2023, 7, 14, 9, 26, 53, 125, "ASCII"},
        {"1999, LF only, blank lines after", Join(v1999, "\n") + "\n\n", 1999, "East 220kV", "FR-01", 2023, 7, 14, 9,
         26, 53, 125, "ASCII"},
        {"1999 without timemult", Join(noTimemult), 1999, "East 220kV", "FR-01", 2023, 7, 14, 9, 26, 53, 125, "ASCII"},
        {"2013, nanoseconds, UTF-8 name with a byte-order mark", "\xEF\xBB\xBF" + Join(v2013), 2013, "东郊变电站",
         "FR-02", 2023, 8, 2, 14, 30, 11, 480, "ASCII"},
        {"1991: mm/dd/yy, no revision year", Join(v1991), 1991, "Old Mill", "REC-9", 2000, 1, 1, 0, 0, 0, 0, "BINARY"},
    };
    for (const Case& c : cases) {
        ComtradeHeader h;
        int line = 0;
        std::string reason;
        ASSERT_TRUE(ComtradeHeader::Parse(c.text, &h, &line, &reason)) << c.why << ": line " << line << ": " << reason;
        EXPECT_EQ(c.revision, h.revision) << c.why;
        EXPECT_EQ(c.station, h.stationName) << c.why;
        EXPECT_EQ(c.device, h.deviceId) << c.why;
        EXPECT_EQ(c.year, h.trigger.year) << c.why;
        EXPECT_EQ(c.month, h.trigger.month) << c.why;
        EXPECT_EQ(c.day, h.trigger.day) << c.why;
        EXPECT_EQ(c.hour, h.trigger.hour) << c.why;
        EXPECT_EQ(c.minute, h.trigger.minute) << c.why;
        EXPECT_EQ(c.second, h.trigger.second) << c.why;
        EXPECT_EQ(c.ms, h.trigger.Millisecond()) << c.why;
        EXPECT_EQ(c.fileType, h.fileType) << c.why;
        EXPECT_EQ(2, h.analogChannels) << c.why;
        EXPECT_EQ(1, h.digitalChannels) << c.why;
    }
}

TEST(ComtradeHeader, ReportsTheFirstFaultWithItsLine) {
    struct Case {
        int line;          // 1-based line to replace, 0: none
        std::string text;  // the replacement
        int expectedLine;
        const char* reason;  // part of the reason
    };
    const std::string huge(5000, 'x');
    const Case cases[] = {
        {1, "East,FR-01,1999,extra", 1, "expected 2 or 3 fields"},
        {1, "East,FR-01,2005", 1, "unknown revision year"},
        {1, "East,,1999", 1, "rec_dev_id"},
        {2, "3,2A,2D", 2, "do not add up"},
        {2, "3,2X,1D", 2, "followed by 'A'"},
        {2, "three,2A,1D", 2, "not a whole number"},
        {2, "3,2A", 2, "expected 3 fields"},
        {3, "1,Ua,A,Line 1,kV,0.0275,0,0,-32767,32767,220,0.1", 3, "expected 13 fields"},
        {3, "1,Ua,A,Line 1,kV,abc,0,0,-32767,32767,220,0.1,S", 3, "not a number"},
        {3, "1,Ua,A,Line 1,kV,nan,0,0,-32767,32767,220,0.1,S", 3, "not a number"},
        {3, "9,Ua,A,Line 1,kV,0.0275,0,0,-32767,32767,220,0.1,S", 3, "out of range"},
        {4, "2,Ia,A,Line 1,A,0.125,0,0,-32767,32767,600,1,X", 4, "P or S"},
        {5, "1,Trip,,Line 1,2", 5, "out of range"},
        {6, "fifty", 6, "not a number"},
        {7, "-1", 7, "out of range"},
        {8, "1200", 8, "expected 2 fields"},
        {8, "0,360", 8, "not usable"},
        {9, "31/02/2023,09:26:53.025000", 9, "no such date"},
        {9, "2023-07-14,09:26:53.025000", 9, "not dd/mm/yyyy"},
        {10, "14/07/2023 09:26:53.125000", 10, "expected 2 fields"},
        {10, "14/07/2023,25:26:53.125000", 10, "no such time"},
        {10, "14/07/2023,09:26:53.1234567890", 10, "not hh:mm:ss"},
        {11, "TEXT", 11, "file type"},
        {12, "0", 12, "greater than 0"},
        {3, std::string("1,U\0a,A", 7), 3, "binary data"},
        {3, huge, 3, "longer than"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines = Header1999();
        lines[c.line - 1] = c.text;
        ComtradeHeader h;
        int line = 0;
        std::string reason;
        EXPECT_FALSE(ComtradeHeader::Parse(Join(lines), &h, &line, &reason)) << c.text.substr(0, 60);
        EXPECT_EQ(c.expectedLine, line) << c.text.substr(0, 60) << ": " << reason;
        EXPECT_NE(std::string::npos, reason.find(c.reason)) << c.text.substr(0, 60) << ": " << reason;
    }
}

TEST(ComtradeHeader, ReportsAHeaderThatEndsEarly) {
    struct Case {
        size_t keep;  // lines kept
        int expectedLine;
    };
    const Case cases[] = {{0, 1}, {1, 2}, {4, 5}, {9, 10}, {10, 11}};
    for (const Case& c : cases) {
        std::vector<std::string> lines = Header1999();
        lines.resize(c.keep);
        ComtradeHeader h;
        int line = 0;
        std::string reason;
        EXPECT_FALSE(ComtradeHeader::Parse(Join(lines), &h, &line, &reason)) << c.keep;
        EXPECT_EQ(c.expectedLine, line) << c.keep << ": " << reason;
        EXPECT_NE(std::string::npos, reason.find("ends early")) << reason;
    }
}

}  // namespace
