// Text at the tool's edges: GBK to and from the terminal's encoding, header text of unknown
// encoding, display widths and the listings' two shapes.
#include "GbkText.h"
#include "TablePrinter.h"
#include "TerminalText.h"

#include "TestOdbc.h"

#include <clocale>
#include <string>

using namespace davrix::tool;
using davrix::test::Utf8ToGbk;

namespace {

// Switches LC_CTYPE for the length of a test.
class CtypeLocale {
public:
    explicit CtypeLocale(const char* name) : m_old(setlocale(LC_CTYPE, nullptr)) {
        m_ok = setlocale(LC_CTYPE, name) != nullptr;
    }
    ~CtypeLocale() { setlocale(LC_CTYPE, m_old.c_str()); }
    bool ok() const { return m_ok; }

private:
    std::string m_old;
    bool m_ok;
};

TEST(GbkText, ExternalTextIsUtf8WhenItCanBe) {
    struct Case {
        std::string bytes;
        bool ok;
        std::string gbk;
        const char* why;
    };
    const Case cases[] = {
        {"FR-01", true, "FR-01", "ASCII is both"},
        {"东郊变电站", true, Utf8ToGbk("东郊变电站"), "UTF-8"},
        {"\xEF\xBB\xBF"
         "东郊",
         true, Utf8ToGbk("东郊"), "UTF-8 with a byte-order mark"},
        {Utf8ToGbk("东郊变电站"), true, Utf8ToGbk("东郊变电站"), "GBK stays"},
        {"\xF0\x9F\x98\x80", false, "", "an emoji has no GBK form"},
        {"\xFF\xFF\x80", false, "", "neither encoding"},
    };
    for (const Case& c : cases) {
        std::string gbk, why;
        EXPECT_EQ(c.ok, ExternalToGbk(c.bytes, &gbk, &why)) << c.why;
        if (c.ok) {
            EXPECT_EQ(c.gbk, gbk) << c.why;
        } else {
            EXPECT_FALSE(why.empty()) << c.why;
        }
    }
}

TEST(GbkText, Utf8Validity) {
    struct Case {
        std::string bytes;
        bool valid;
    };
    const Case cases[] = {
        {"", true},          {"abc", true},           {"中文", true},
        {"\xC0\xAF", false}, {"\xED\xA0\x80", false}, {"\xF4\x90\x80\x80", false},
        {"\xE4\xB8", false}, {"\x80", false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.valid, IsValidUtf8(c.bytes)) << c.bytes;
}

TEST(TerminalText, ConvertsToAndFromTheTerminal) {
    const std::string gbk = Utf8ToGbk("一号录波器");
    TerminalText utf8("UTF-8"), ascii("ANSI_X3.4-1968"), gb("GBK");
    EXPECT_EQ("一号录波器", utf8.FromGbk(gbk));
    EXPECT_EQ("?????", ascii.FromGbk(gbk)) << "one '?' per character the terminal cannot show";
    EXPECT_EQ(gbk, gb.FromGbk(gbk));
    EXPECT_EQ("a?b", utf8.FromGbk("a\xFF"
                                  "b"))
        << "an invalid byte shows as '?'";

    std::string out, why;
    EXPECT_TRUE(utf8.ToGbk("一号录波器", &out, &why));
    EXPECT_EQ(gbk, out);
    EXPECT_TRUE(ascii.ToGbk("一号录波器", &out, &why)) << "an ASCII locale still takes UTF-8 arguments";
    EXPECT_EQ(gbk, out);
    EXPECT_FALSE(utf8.ToGbk("\xF0\x9F\x98\x80", &out, &why));
    EXPECT_NE(std::string::npos, why.find("no GBK form"));
    EXPECT_FALSE(utf8.ToGbk("\xFF", &out, &why));
    EXPECT_FALSE(ascii.ToGbk("\xFF", &out, &why));
}

TEST(TerminalText, WidthCountsWideCharacters) {
    CtypeLocale locale("C.UTF-8");
    ASSERT_TRUE(locale.ok()) << "the C.UTF-8 locale is missing";
    EXPECT_EQ(0, TerminalText::Width(""));
    EXPECT_EQ(5, TerminalText::Width("FR-01"));
    EXPECT_EQ(10, TerminalText::Width("一号录波器"));
    EXPECT_EQ(15, TerminalText::Width("东郊220kV变电站"));
}

TEST(TablePrinter, CsvQuotingFollowsRfc4180) {
    struct Case {
        std::string in, out;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\r", "\"cr\r\""},
        {"O'Brien", "O'Brien"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.out, TablePrinter::CsvField(c.in)) << c.in;

    TerminalText utf8("UTF-8");
    TablePrinter csv(utf8, TablePrinter::Style::Csv, {{"NID", true}, {"NNAME", false}});
    csv.AddRow({"1", Utf8ToGbk("一号, \"甲\"")});
    EXPECT_EQ("NID,NNAME\n1,\"一号, \"\"甲\"\"\"\n", csv.Render());
}

TEST(TablePrinter, AlignsByDisplayWidth) {
    CtypeLocale locale("C.UTF-8");
    ASSERT_TRUE(locale.ok()) << "the C.UTF-8 locale is missing";
    TerminalText utf8("UTF-8");
    TablePrinter table(utf8, TablePrinter::Style::Aligned, {{"NID", true}, {"NNAME", false}, {"IP", false}});
    table.AddRow({"1", Utf8ToGbk("一号录波器"), "1.2.3.4"});
    table.AddRow({"12", "FR-01", "10.0.0.1"});
    table.AddRow({"3", "bad\x1b[2Jname", ""});
    EXPECT_EQ(
        "NID  NNAME        IP\n"
        "  1  一号录波器   1.2.3.4\n"
        " 12  FR-01        10.0.0.1\n"
        "  3  bad?[2Jname\n",
        table.Render());
}

}  // namespace
