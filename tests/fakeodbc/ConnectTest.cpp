// Opening the connection: what the driver's answer to SQLConnect becomes, which product names are
// recognised, how a reconnect closes the old connection, and the calculation's transaction.
#include <string>
#include <utility>
#include <vector>

#include "tests/fakeodbc/FakeOdbcTest.h"

namespace {

using Calls = std::vector<std::string>;

class ConnectTest : public CFakeOdbcTest {};

TEST_F(ConnectTest, InformationalRecordCountsAsSuccessAndStaysReadable) {
    g_fakeOdbc.SetConnectResult(SQL_SUCCESS_WITH_INFO,
                                FakeDiag{"01000", 5701, "Changed database context to 'KVT'."});
    EXPECT_EQ(Connect(), 0);
    EXPECT_EQ(m_pDb->GetSqlCode(), 5701);
    EXPECT_STREQ(m_pDb->GetSqlState(), "01000");
    EXPECT_STREQ(m_pDb->GetSqlMessage(), "Changed database context to 'KVT'.");
}

// A failure without native code must not read as success; one with a code reports that code.
// The password goes to SQLConnect and nowhere the caller could print it.
TEST_F(ConnectTest, FailureGivesTheNativeCodeOrMinusOne) {
    g_fakeOdbc.SetConnectResult(SQL_ERROR, FakeDiag{"IM002", 0, "Data source name not found"});
    EXPECT_EQ(Connect(), -1);
    EXPECT_STREQ(m_pDb->GetSqlState(), "IM002");

    g_fakeOdbc.SetConnectResult(SQL_ERROR, FakeDiag{"28000", 18456, "Login failed for user 'kvtuser'."});
    EXPECT_EQ(m_pDb->Connect(), 18456);
    EXPECT_EQ(m_pDb->GetSqlCode(), 18456);
    EXPECT_STREQ(m_pDb->GetSqlState(), "28000");
    EXPECT_STREQ(m_pDb->GetSqlMessage(), "Login failed for user 'kvtuser'.");

    ASSERT_EQ(g_fakeOdbc.ConnectCalls().size(), 2U);
    const FakeConnectCall& call = g_fakeOdbc.ConnectCalls().back();
    EXPECT_EQ(call.strDataSource, DATA_SOURCE);
    EXPECT_EQ(call.strLogin, LOGIN);
    EXPECT_EQ(call.strPassword, PASSWORD);
    EXPECT_EQ(std::string(m_pDb->GetSqlState()).find(PASSWORD), std::string::npos);
    EXPECT_EQ(std::string(m_pDb->GetSqlMessage()).find(PASSWORD), std::string::npos);

    // Half open: the handles exist, but no statement can be run until the next Connect.
    ParamRecord record{};
    EXPECT_EQ(m_pDb->ReadNextRequest("ZTW0815", "ANWENDER", &record), -1);
    EXPECT_TRUE(g_fakeOdbc.ExecutedTexts().empty());
}

TEST_F(ConnectTest, UnknownProductNameAllocatesNothing) {
    for (const char* pszDbSystem : {"mssql", "MSSQL ", ""}) {
        EXPECT_EQ(Connect(pszDbSystem), -1) << '"' << pszDbSystem << '"';
    }
    EXPECT_TRUE(g_fakeOdbc.Calls().empty());
    EXPECT_TRUE(g_fakeOdbc.ConnectCalls().empty());
    EXPECT_EQ(m_pDb->GetSqlCode(), 0);
    EXPECT_STREQ(m_pDb->GetSqlState(), "");
}

TEST_F(ConnectTest, SecondConnectClosesTheFirstBeforeOpening) {
    ASSERT_EQ(Connect(), 0);
    g_fakeOdbc.ClearCalls();
    ASSERT_EQ(m_pDb->Connect(), 0);
    // Between the two attributes, the question whether the request table compares schema and user
    // without regard to case.
    EXPECT_EQ(g_fakeOdbc.Calls(), (Calls{"SQLDisconnect dbc2", "SQLFreeHandle dbc2", "SQLFreeHandle env1",
                                         "SQLAllocHandle - env4", "SQLSetEnvAttr env4",
                                         "SQLAllocHandle env4 dbc5", "SQLConnect dbc5", "SQLSetConnectAttr dbc5",
                                         "SQLAllocHandle dbc5 stmt6", "SQLExecDirect stmt6", "SQLBindCol stmt6",
                                         "SQLFetch stmt6", "SQLFreeHandle stmt6", "SQLSetConnectAttr dbc5"}));
    EXPECT_EQ(g_fakeOdbc.LiveHandles(), 2);
}

// SQL Server's driver names its product so; MSSQL statements on any other product would fail.
TEST_F(ConnectTest, TheProductOfTheDataSourceMustBeTheConfiguredOne) {
    ASSERT_EQ(Connect(), 0);
    bool bFits = false;
    EXPECT_EQ(m_pDb->CheckProduct(&bFits), 0);
    EXPECT_TRUE(bFits);
    g_fakeOdbc.SetDbmsName("MariaDB");
    EXPECT_EQ(m_pDb->CheckProduct(&bFits), 0);
    EXPECT_FALSE(bFits);
    EXPECT_STREQ(m_pDb->GetSqlMessage(), "DB_SYSTEM ist MSSQL, die Datenquelle KVT_DSN ist aber MariaDB");
}

class TransactionTest : public CFakeOdbcTest {};

// The connection never commits by itself, and reads committed data only, as every product does by
// default; both are settled once, when it connects. A unit of work ends in the driver's commit or
// rollback on every product.
TEST_F(TransactionTest, TheSessionIsSetUpOnceAndEveryUnitOfWorkEndsThroughTheDriver) {
    using Attributes = std::vector<std::pair<SQLINTEGER, SQLULEN>>;
    ASSERT_EQ(Connect(), 0);
    EXPECT_EQ(g_fakeOdbc.ConnectAttributes(), (Attributes{{SQL_ATTR_TXN_ISOLATION, SQL_TXN_READ_COMMITTED},
                                                          {SQL_ATTR_AUTOCOMMIT, SQL_AUTOCOMMIT_OFF}}));
    g_fakeOdbc.ClearCalls();
    EXPECT_EQ(m_pDb->Rollback(), 0);
    EXPECT_EQ(m_pDb->Commit(), 0);
    EXPECT_EQ(g_fakeOdbc.Calls(), (Calls{"SQLEndTran dbc2", "SQLEndTran dbc2"}));
    EXPECT_EQ(g_fakeOdbc.EndTranCalls(), (std::vector<SQLSMALLINT>{SQL_ROLLBACK, SQL_COMMIT}));
    EXPECT_EQ(g_fakeOdbc.ConnectAttributes().size(), 2U);
}

}  // namespace
