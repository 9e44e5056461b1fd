#include "bench/BenchCalc.h"

#include <chrono>
#include <cstdio>

#include "app/ProcessRequest.h"
#include "bench/BenchData.h"

double CalculatePersons(CDbConnection& db, int nPersons) {
    // A request dated at the end of the year calculates that whole year.
    ParamRecord request{};
    request.PRMTYP = 5;
    request.PRMDTM = kBenchYear * 10000 + 1231;
    std::snprintf(request.PRMERF, sizeof(request.PRMERF), "%s", "BENCH");

    CRequestLedger ledger;
    const auto start = std::chrono::steady_clock::now();
    for (int nPerson = 1; nPerson <= nPersons; ++nPerson) {
        std::snprintf(request.PRMPNR, sizeof(request.PRMPNR), "%s", BenchPnr(nPerson).GetString());
        ProcessRequest(db, request, ledger);
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count();
}
