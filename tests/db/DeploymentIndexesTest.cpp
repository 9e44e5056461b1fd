// sql/mysql/indexes.sql, the script operators run on their databases: it creates the indexes a
// tenant lacks, none that a key of the table covers already, and nothing on a second run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/ProcessRunner.h"
#include "tests/support/TestDatabase.h"

namespace {

const char* const kTables[] = {"ZTW300PNR", "ZTW310BSV", "ZTW155KVT", "ZTW155SF1", "ZTW320TGB", "ZTW321BCH",
                               "ZTW327TAG", "ZTW131FCD", "ZTW332SFZ", "ZTW332SFV", "ZTW329ZTG"};

// Runs the script as an operator does, with the mariadb client, in the schema given.
int RunIndexScript(const std::string& strTestDbDir, const std::string& strSchema) {
    const std::string strCommand = ". '" + strTestDbDir +
                                   "/env' && mariadb --no-defaults --socket=\"$KVT_TESTDB_SOCKET\" "
                                   "-u\"$KVT_TESTDB_LOGIN\" -p\"$KVT_TESTDB_PASSWORD\" --database=" +
                                   strSchema + " < '" KVT_SOURCE_DIR "/sql/mysql/indexes.sql'";
    const ProcessResult result = RunProcess({"/bin/sh", "-c", strCommand});
    EXPECT_EQ(result.m_strErr, "");
    return result.m_nExitCode;
}

long KvtIndexes(CTestDatabase& db, const char* pszSchema) {
    const std::string strSql =
        std::string(
            "SELECT COUNT(DISTINCT TABLE_NAME, INDEX_NAME) FROM information_schema.STATISTICS WHERE "
            "INDEX_NAME LIKE 'KVT\\_%' AND TABLE_SCHEMA = '") +
        pszSchema + "'";
    return db.QueryInt(strSql.c_str());
}

TEST(DeploymentIndexesTest, CreatesWhatATenantLacksOnceAndLeavesCoveredTablesAlone) {
    const char* pszDir = std::getenv("KVT_TESTDB_DIR");
    ASSERT_NE(pszDir, nullptr);
    ASSERT_EQ(
        RunProcess({std::string(KVT_SOURCE_DIR) + "/scripts/testdb", "tenant", pszDir, "KVTIDX"}).m_nExitCode,
        0);
    CTestDatabase db;
    ASSERT_TRUE(db.Connect(CTestDatabase::DSN_MYSQL));
    // The tenant's tables as a deployment may have them: without any key.
    for (const char* pszTable : kTables) {
        db.Exec((std::string("DROP TABLE KVTIDX.") + pszTable).c_str());
        db.Exec((std::string("CREATE TABLE KVTIDX.") + pszTable + " AS SELECT * FROM KVTTEST." + pszTable +
                 " LIMIT 0")
                    .c_str());
    }

    ASSERT_EQ(RunIndexScript(pszDir, "KVTIDX"), 0);
    EXPECT_EQ(KvtIndexes(db, "KVTIDX"), 12);
    ASSERT_EQ(RunIndexScript(pszDir, "KVTIDX"), 0);
    EXPECT_EQ(KvtIndexes(db, "KVTIDX"), 12);
    // The test schema has the request table's two, as the script makes them; it adds none.
    EXPECT_EQ(KvtIndexes(db, "ZTWBASIS"), 2);

    ASSERT_EQ(RunIndexScript(pszDir, "KVTTEST"), 0);
    EXPECT_EQ(KvtIndexes(db, "KVTTEST"), 0);
    db.Exec("DROP DATABASE KVTIDX");
}

}  // namespace
