// What becomes of a request whose calculation failed for a fault of its own data, where the server
// had already rolled the whole transaction back: the savepoint is gone, and the product says so in
// the words of a wrong statement. Nothing is wrong with the installation; the request stays queued
// and is tried again.
#include <cstdio>
#include <string>

#include "app/ProcessRequest.h"
#include "tests/fakeodbc/FakeOdbcTest.h"

namespace {

class RequestFateTest : public CFakeOdbcTest {};

TEST_F(RequestFateTest, ARequestWhoseTransactionTheServerRolledBackStaysQueuedAndTheRunGoesOn) {
    ASSERT_EQ(Connect("MSSQL"), 0);
    g_fakeOdbc.AddAnswer({.strMatch = "ZTW310BSV",
                          .nExecReturn = SQL_ERROR,
                          .diag = FakeDiag{"22003", 8115, "Arithmetic overflow error converting expression"}});
    g_fakeOdbc.AddAnswer({.strMatch = "ROLLBACK TRANSACTION KVT_CALC",
                          .nExecReturn = SQL_ERROR,
                          .diag = FakeDiag{"42000", 6401, "Cannot roll back KVT_CALC. No transaction or savepoint "
                                                          "of that name was found."}});
    ParamRecord request{};
    std::snprintf(request.storedNumber, sizeof(request.storedNumber), "%s", "4711");
    std::snprintf(request.storedPnr, sizeof(request.storedPnr), "%s", "00012345");
    request.PRMLFD = 1;
    request.PRMTYP = 5;
    request.PRMDTM = 20240115;
    CRequestLedger ledger;
    RequestReport report;

    EXPECT_EQ(ProcessRequest(*m_pDb, request, ledger, &report), RequestOutcome::StillQueued);
    EXPECT_EQ(report.failure, SqlFailure::Transient);
    EXPECT_EQ(g_fakeOdbc.EndTranCalls(), (std::vector<SQLSMALLINT>{SQL_ROLLBACK}));
    for (const std::string& strText : g_fakeOdbc.ExecutedTexts()) {
        EXPECT_EQ(strText.find("ZTW002"), std::string::npos) << strText;
    }
}

}  // namespace
