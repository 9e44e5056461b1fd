#include <string>

#include "tests/db/KvtDbTest.h"

namespace {

class ConnectionTest : public KvtDbTest {};

TEST_P(ConnectionTest, AReconnectReplacesTheConnectionAndKeepsWorking) {
    ParamRecord record{};
    EXPECT_EQ(m_db.ReadNextRequest("KVTTEST", "PLANER", &record), 100);
    EXPECT_EQ(m_db.Connect(), 0);
    EXPECT_EQ(m_db.Connect(), 0);
    EXPECT_EQ(m_db.ReadNextRequest("KVTTEST", "PLANER", &record), 100);
    EXPECT_EQ(m_db.Commit(), 0);
}

TEST_P(ConnectionTest, AWrongPasswordIsReportedWithoutThePassword) {
    const std::string strWrong = "geheim-falsch-4711";
    EXPECT_EQ(ConnectProgram(strWrong), 1045);
    EXPECT_EQ(m_db.GetSqlCode(), 1045);
    EXPECT_EQ(m_db.GetSqlState(), "28000");
    EXPECT_FALSE(m_db.GetSqlMessage().IsEmpty());
    EXPECT_EQ(m_db.GetSqlMessage().Find(strWrong.c_str()), -1);

    // Half-open: statements fail locally until a reconnect succeeds.
    ParamRecord record{};
    EXPECT_EQ(m_db.ReadNextRequest("KVTTEST", "PLANER", &record), -1);
    EXPECT_EQ(ConnectProgram(CTestDatabase::PASSWORD), 0);
    EXPECT_EQ(m_db.ReadNextRequest("KVTTEST", "PLANER", &record), 100);
}

TEST_P(ConnectionTest, AnUnknownDataSourceGivesMinusOneWithTheDriverManagersState) {
    EXPECT_EQ(ConnectProgram(CTestDatabase::PASSWORD, "KVT_GIBT_ES_NICHT"), -1);
    EXPECT_EQ(m_db.GetSqlState(), "IM002");
    WriteConfigFile(m_configPath,
                    {GetParam().pszDbSystem, "", CTestDatabase::LOGIN, CTestDatabase::PASSWORD, Schema()});
    EXPECT_EQ(m_db.Connect(), -1);
    EXPECT_EQ(m_db.GetSqlState(), "IM002");
}

TEST_P(ConnectionTest, AProductNameMustMatchExactly) {
    for (const char* pszName : {"mysql", "oracle", "MYSQL ", "", "DB2"}) {
        WriteConfigFile(m_configPath, {pszName, GetParam().pszDsn, CTestDatabase::LOGIN, CTestDatabase::PASSWORD,
                                       GetParam().pszSchema});
        CDbConnection db;
        db.SetConfig(&m_config);
        EXPECT_EQ(db.Connect(), -1) << pszName;
        EXPECT_EQ(db.GetSqlCode(), 0);
        EXPECT_TRUE(db.GetSqlState().IsEmpty());
        ParamRecord record{};
        EXPECT_EQ(db.ReadNextRequest("KVTTEST", "PLANER", &record), -1);
        EXPECT_EQ(db.Commit(), -1);
    }
}

TEST_P(ConnectionTest, TheConfiguredSchemaIsUsedWithoutItsTrailingDotWhenTheCommandLineHasNone) {
    WriteConfigFile(m_configPath, {GetParam().pszDbSystem, GetParam().pszDsn, CTestDatabase::LOGIN,
                                   CTestDatabase::PASSWORD, std::string(GetParam().pszSchema) + "."});
    CDbConnection db;
    db.SetConfig(&m_config);
    ASSERT_EQ(db.Connect(), 0);
    double dDays = 1;
    double dShares = 1;
    int32_t nYearStart = 1;
    EXPECT_EQ(db.ReadKvtSfvData("NIEMAND", 2024, &dDays, &dShares, &nYearStart), 100);
    EXPECT_EQ(dDays, 0.0);
}

INSTANTIATE_TEST_SUITE_P(Products, ConnectionTest, ::testing::Values(kMySqlCase, kOracleCase), DialectName);

// A session that reads the program's Windows-1252 bytes in a character set of several bytes a
// character could take a quote for part of another character: it is refused, with what to change.
class CharacterSetTest : public KvtDbTest {};

TEST_P(CharacterSetTest, AMultiByteCharacterSetIsRefusedNamingTheDataSourceAndTheSetting) {
    EXPECT_EQ(ConnectProgram(CTestDatabase::PASSWORD, "KVT_MYSQL_GBK"), -1);
    EXPECT_EQ(m_db.GetSqlState(), "HY000");
    EXPECT_EQ(m_db.GetSqlMessage(),
              "Die Datenquelle KVT_MYSQL_GBK verbindet mit dem Zeichensatz gbk, der Zeichen aus mehreren Bytes "
              "bildet. Kvt schreibt Windows-1252 und braucht einen Zeichensatz mit einem Byte je Zeichen: in der "
              "Datenquelle CHARSET=latin1 setzen.");
    ParamRecord record{};
    EXPECT_EQ(m_db.ReadNextRequest("KVTTEST", "PLANER", &record), -1);
    EXPECT_EQ(ConnectProgram(CTestDatabase::PASSWORD), 0);
}

INSTANTIATE_TEST_SUITE_P(Products, CharacterSetTest, ::testing::Values(kMySqlCase), DialectName);

}  // namespace
