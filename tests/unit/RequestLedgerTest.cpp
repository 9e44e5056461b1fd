// A request that keeps failing in a way that may pass is never given up: it is tried again at once
// three times, then after waits that double up to an hour.
#include <gtest/gtest.h>

#include <cstdio>

#include "app/RequestLedger.h"

namespace {

ParamRecord Request(const char* pszNumber) {
    ParamRecord request{};
    std::snprintf(request.storedNumber, sizeof(request.storedNumber), "%s", pszNumber);
    request.PRMLFD = 1;
    request.PRMTYP = 5;
    return request;
}

TEST(RequestLedgerTest, AFailingRequestWaitsEverLongerButIsNeverDropped) {
    CRequestLedger ledger;
    const ParamRecord request = Request("7");
    const time_t tStart = 1000000;
    for (int nAttempt = 1; nAttempt < CRequestLedger::kMaxAttempts; ++nAttempt) {
        EXPECT_EQ(ledger.CountFailure(request, tStart), nAttempt);
        EXPECT_FALSE(ledger.IsPassedOver(request, tStart));
    }
    const int expected[] = {20, 40, 80, 160, 320, 640, 1280, 2560, 3600, 3600};
    for (const int nDelay : expected) {
        ledger.CountFailure(request, tStart);
        EXPECT_EQ(ledger.DelaySeconds(request), nDelay);
        EXPECT_TRUE(ledger.IsPassedOver(request, tStart + nDelay - 1));
        EXPECT_FALSE(ledger.IsPassedOver(request, tStart + nDelay));
    }
    EXPECT_FALSE(ledger.IsPassedOver(Request("8"), tStart));
}

// A request closed in this run and claimed again was not removed; a closed request's failures are
// forgotten.
TEST(RequestLedgerTest, AClosedRequestIsPassedOver) {
    CRequestLedger ledger;
    const ParamRecord request = Request("7");
    ledger.CountFailure(request, 0);
    ledger.MarkClosed(request);
    EXPECT_TRUE(ledger.IsClosed(request));
    EXPECT_TRUE(ledger.IsPassedOver(request, 0));
    EXPECT_EQ(ledger.DelaySeconds(request), 0);
}

}  // namespace
