// A PostgreSQL server that stops and comes back: the layer reports the loss at once and
// connects again afterwards, also through connection pooling. Runs a server of its own.
#include "testsupport/ItemTable.h"

#include <davrixfw/CDBException.h>
#include <davrixfw/OdbcConfig.h>

#include <chrono>
#include <cstdlib>
#include <unistd.h>

using namespace davrix::test;

namespace {

class ServerRestartTest : public ::testing::Test {
protected:
    void SetUp() override {
        DAVRIX_REQUIRE_BACKEND(Backend::PostgreSQL);
        const char* src = getenv("DAVRIX_SOURCE_DIR");
        ASSERT_NE(src, nullptr);
        script = std::string(src) + "/scripts/pg-server.sh";
        char tmpl[] = "/tmp/davrix-restart.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        int status = -1;
        std::string out = RunCommand("bash '" + script + "' start " + dir + " 2>&1", &status);
        ASSERT_EQ(status, 0) << out;
        port = ReadTextFile(dir + "/port");
        while (!port.empty() && isspace((unsigned char)port.back())) port.pop_back();
        davrix::OdbcConfig(ConfigDir())
            .WriteDataSource("PG_RESTART", davrix::OdbcConfig::kPostgresDriver,
                             davrix::OdbcConfig::PostgresAttributes(dir, port, "postgres", "postgres"));
    }
    void TearDown() override {
        if (dir.empty()) return;
        RunCommand("bash '" + script + "' stop " + dir + " >/dev/null 2>&1");
        RunCommand("rm -rf '" + dir + "'");
    }
    bool Server(const char* cmd) {
        int status = -1;
        RunCommand("bash '" + script + "' " + cmd + " " + dir + " >/dev/null 2>&1", &status);
        return status == 0;
    }
    std::string script, dir, port;
};

TEST_F(ServerRestartTest, LossIsReportedAtOnceAndTheServerIsUsedAgainWhenBack) {
    {
        RawConnection raw("DSN=PG_RESTART");
        raw.Exec("CREATE TABLE \"T_R\" (\"ID\" SERIAL PRIMARY KEY, \"NAME\" VARCHAR(16), \"QTY\" INTEGER,"
                 " \"PRICE\" DOUBLE PRECISION, \"STAMP\" TIMESTAMP(3))");
        raw.Exec("INSERT INTO \"T_R\" (\"QTY\") VALUES (1)");
    }
    CItemSet rs(nullptr, "T_R", "PG_RESTART");
    ASSERT_TRUE(rs.Open());
    ASSERT_TRUE(Server("stop"));

    auto start = std::chrono::steady_clock::now();
    CDBException* lost = nullptr;
    try {
        rs.Requery();
    } catch (CDBException* e) {
        lost = e;
    }
    ASSERT_NE(lost, nullptr) << "a dead connection is an error";
    lost->Delete();
    rs.Close();
    CItemSet fresh(nullptr, "T_R", "PG_RESTART");
    CDBException* refused = nullptr;
    try {
        fresh.Open();
    } catch (CDBException* e) {
        refused = e;
    }
    ASSERT_NE(refused, nullptr) << "no server, no connection";
    refused->Delete();
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 20.0);

    ASSERT_TRUE(Server("start"));
    CItemSet again(nullptr, "T_R", "PG_RESTART");
    bool opened = false;
    for (int attempt = 0; attempt < 3 && !opened; ++attempt) {
        try {
            opened = again.Open();
        } catch (CDBException* e) {
            ADD_FAILURE() << "after the restart: " << (const char*)e->m_strError;
            e->Delete();
        }
    }
    ASSERT_TRUE(opened);
    EXPECT_EQ(again.m_QTY, 1);
}

}  // namespace
