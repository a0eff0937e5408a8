// Statement building: bracket translation around literals, object names, key filters.
#include "SqlBuilder.h"

#include <gtest/gtest.h>

using namespace davrix::sql;

namespace {

TEST(SqlBuilder, TranslatesBracketsOutsideLiteralsOnly) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"[NID]=1", "\"NID\"=1"},
        {"[abc].[TABLE_FAULT]", "\"abc\".\"TABLE_FAULT\""},
        {"[FFILE]='[x]'", "\"FFILE\"='[x]'"},
        {"[FFILE]='it''s [x]' AND [A]=2", "\"FFILE\"='it''s [x]' AND \"A\"=2"},
        {"\"Q[1]\"=[B]", "\"Q[1]\"=\"B\""},
        {"[odd]]name]", "\"odd]name\""},
        {"[has\"quote]", "\"has\"\"quote\""},
        {"[unclosed", "[unclosed"},
        {"x = '\xE6\x95\x85[1]'", "x = '\xE6\x95\x85[1]'"},
    };
    for (const Case& c : cases) EXPECT_EQ(TranslateBrackets(c.in, '"'), c.out) << c.in;
    EXPECT_EQ(TranslateBrackets("[A]='[b]'", '['), "[A]='[b]'") << "a bracket-quoting driver gets the text as it is";
}

TEST(SqlBuilder, SplitsAndQuotesObjectNames) {
    std::string schema, table;
    SplitObjectName("[RUVUDED].[TABLE_FAULT]", &schema, &table);
    EXPECT_EQ(schema, "RUVUDED");
    EXPECT_EQ(table, "TABLE_FAULT");
    SplitObjectName("TABLE_FAULT", &schema, &table);
    EXPECT_EQ(schema, "");
    EXPECT_EQ(QuoteObjectName("TABLE_FAULT", '"'), "\"TABLE_FAULT\"") << "bare names keep their case on PostgreSQL";
    EXPECT_EQ(QuoteObjectName("[A].[B]", '['), "[A].[B]");
}

TEST(SqlBuilder, SelectFromANameOrAStatement) {
    EXPECT_EQ(BuildSelect({"[A]", "[B]"}, "T", "[A]=1", "[B] DESC", '"'),
              "SELECT \"A\",\"B\" FROM \"T\" WHERE \"A\"=1 ORDER BY \"B\" DESC");
    EXPECT_EQ(BuildSelect({"[A]"}, "SELECT [A] FROM [T]", "", "", '"'), "SELECT \"A\" FROM \"T\"");
    EXPECT_TRUE(IsStatement("  select 1"));
    EXPECT_FALSE(IsStatement("SELECTION"));
}

TEST(SqlBuilder, WritesAddressRowsByKey) {
    EXPECT_EQ(BuildInsert("T", {"[A]", "[B]"}, '"'), "INSERT INTO \"T\" (\"A\",\"B\") VALUES (?,?)");
    EXPECT_EQ(BuildUpdate("[O].[T]", {"[A]"}, {"[K]"}, '"'), "UPDATE \"O\".\"T\" SET \"A\"=? WHERE \"K\"=?");
    EXPECT_EQ(BuildDelete("T", {"[K1]", "[K2]"}, '"'), "DELETE FROM \"T\" WHERE \"K1\"=? AND \"K2\"=?");
}

TEST(SqlBuilder, OnlyAPlainKeyFilterBecomesAParameter) {
    struct Case {
        const char* filter;
        bool parameterized;
        const char* sent;
        bool isText;
        long long number;
        const char* text;
    } cases[] = {
        {"[SID]=17", true, "[SID]=?", false, 17, ""},
        {" [NID] = -3 ", true, "[NID]=?", false, -3, ""},
        {"[FFILE]='a.cfg'", true, "[FFILE]=?", true, 0, "a.cfg"},
        {"[FFILE]='x'' OR ''1''=''1'", true, "[FFILE]=?", true, 0, "x' OR '1'='1"},
        {"[FFILE]=''", true, "[FFILE]=?", true, 0, ""},
        {"QTY=2", true, "QTY=?", false, 2, ""},
        {"[A]=1 AND [B]=2", false, "", false, 0, ""},
        {"[A]>1", false, "", false, 0, ""},
        {"[A]=1.5", false, "", false, 0, ""},
        {"[A]=[B]", false, "", false, 0, ""},
        {"[A]='open", false, "", false, 0, ""},
        {"[A]='x' OR 1=1", false, "", false, 0, ""},
        {"[A]=1234567890123456789", false, "", false, 0, ""},
        {"", false, "", false, 0, ""},
    };
    for (const Case& c : cases) {
        std::string sent = "untouched";
        FilterParam p;
        EXPECT_EQ(ParameterizeKeyFilter(c.filter, &sent, &p), c.parameterized) << c.filter;
        if (!c.parameterized) {
            EXPECT_EQ(sent, "untouched") << c.filter;
            continue;
        }
        EXPECT_EQ(sent, c.sent) << c.filter;
        EXPECT_EQ(p.isText, c.isText) << c.filter;
        if (c.isText) {
            EXPECT_EQ(p.text, c.text) << c.filter;
        } else {
            EXPECT_EQ(p.number, c.number) << c.filter;
        }
    }
}

}  // namespace
