// Cutting the schema files into statements, and finding them.
#include "SchemaScript.h"

#include "TestOdbc.h"

#include <gtest/gtest.h>

#include <cstdlib>

using davrix::tool::SchemaScript;

namespace {

TEST(SchemaScript, CutsAtSemicolonsAtLineEnds) {
    auto s = SchemaScript::Split(
        "-- a comment\r\nCREATE TABLE T (\r\n  A INTEGER -- kept inside\r\n);\r\n\r\n  -- another\nDROP VIEW V;\n"
        "SELECT ';' AS X;\nSELECT 1");
    ASSERT_EQ(4u, s.size());
    EXPECT_EQ(2, s[0].line);
    EXPECT_EQ("CREATE TABLE T (\n  A INTEGER -- kept inside\n)", s[0].sql);
    EXPECT_EQ(7, s[1].line);
    EXPECT_EQ("DROP VIEW V", s[1].sql);
    EXPECT_EQ("SELECT ';' AS X", s[2].sql) << "a ';' inside a line does not end the statement";
    EXPECT_EQ("SELECT 1", s[3].sql) << "a last statement without ';' still counts";
}

TEST(SchemaScript, TheProjectFilesAreFoundAndCut) {
    const char* source = getenv("DAVRIX_SOURCE_DIR");
    ASSERT_TRUE(source);
    for (const char* file : {"sqlite.sql", "postgresql.sql"}) {
        std::string dir = SchemaScript::Locate(std::string(source) + "/schema", file);
        auto statements = SchemaScript::Split(davrix::test::ReadTextFile(dir + "/" + file));
        ASSERT_FALSE(statements.empty()) << file;
        for (const auto& s : statements) {
            EXPECT_TRUE(s.sql.compare(0, 6, "CREATE") == 0 || s.sql.compare(0, 4, "DROP") == 0)
                << file << ":" << s.line;
            EXPECT_NE(';', s.sql.back()) << file << ":" << s.line;
        }
    }
    EXPECT_THROW(SchemaScript::Locate("/nonexistent", "sqlite.sql"), std::exception);
}

}  // namespace
