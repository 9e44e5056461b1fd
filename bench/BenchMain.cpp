// kvt_bench_calc: loads persons with a full year each into a tenant schema of a test server and
// times their calculation through the program's own per-request driver and connection. The
// figures are printed only for a complete result: every day of the year for every person. With
// --queue it leaves the calculation to kvt itself and queues one request per person instead.
// bench/run-calc and bench/run build it, start the server and run it.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/Globals.h"
#include "bench/BenchCalc.h"
#include "bench/BenchConfig.h"
#include "bench/BenchData.h"
#include "bench/BenchOptions.h"
#include "bench/BenchQueue.h"
#include "bench/BenchResults.h"
#include "bench/CBenchDatabase.h"
#include "config/CIniConfig.h"
#include "db/CDbConnection.h"

namespace {

const int kExitOk = 0;
const int kExitFailed = 1;
const int kExitUsage = 2;

// The login of scripts/testdb, from the env file that it writes.
bool DescribeConnection(const BenchOptions& options, BenchConnection* pConnection) {
    const char* pszLogin = std::getenv("KVT_TESTDB_LOGIN");
    const char* pszPassword = std::getenv("KVT_TESTDB_PASSWORD");
    if (pszLogin == nullptr || pszPassword == nullptr) {
        std::fputs(
            "kvt_bench_calc: KVT_TESTDB_LOGIN and KVT_TESTDB_PASSWORD are not set; source the env "
            "file of scripts/testdb\n",
            stderr);
        return false;
    }
    pConnection->strDbSystem = options.strDbSystem;
    pConnection->strDsn = options.strDsn;
    pConnection->strLogin = pszLogin;
    pConnection->strPassword = pszPassword;
    pConnection->strSchema = options.strSchema;
    return true;
}

// The data source may set a session mode for the program's statements (the ORACLE texts); the
// load and the counts are written for the server's own mode.
bool ConnectLoader(CBenchDatabase& loader, const BenchConnection& connection) {
    return loader.Connect(connection.strDsn, connection.strLogin, connection.strPassword) &&
           loader.Exec("SET SESSION sql_mode = DEFAULT") >= 0;
}

bool Load(CBenchDatabase& loader, const BenchOptions& options) {
    long nRows = 0;
    const auto start = std::chrono::steady_clock::now();
    if (!LoadBenchData(loader, options.strSchema, options.nPersons, &nRows)) {
        return false;
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("load: %d persons, %ld rows in %.2f s (%.0f rows/s)\n", options.nPersons, nRows,
                elapsed.count(), static_cast<double>(nRows) / elapsed.count());
    return true;
}

// The program's connection reads its values from a configuration file at every connect; the file
// is removed once connected, since it carries the password.
bool ConnectProgram(CDbConnection& db, CIniConfig& config, const BenchOptions& options,
                    const BenchConnection& connection) {
    const CString strConfig = options.strWorkDir + "/kvt_bench.cfg";
    if (!WriteBenchConfig(strConfig, connection) || !config.SetIniFile(strConfig)) {
        std::fprintf(stderr, "kvt_bench_calc: cannot write %s\n", strConfig.GetString());
        return false;
    }
    db.SetConfig(&config);
    db.SetSchema(options.strSchema);
    const int32_t nResult = db.Connect();
    std::remove(strConfig);
    if (nResult != 0) {
        std::fprintf(stderr, "kvt_bench_calc: the program's connection failed: %ld [%s] %s\n",
                     static_cast<long>(db.GetSqlCode()), db.GetSqlState().GetString(),
                     db.GetSqlMessage().GetString());
        return false;
    }
    return true;
}

bool Queue(CBenchDatabase& loader, const BenchOptions& options) {
    if (!QueueBenchRequests(loader, options.strSchema, options.nPersons)) {
        return false;
    }
    std::printf("queue: %d requests for schema %s, user %s\n", options.nPersons,
                options.strSchema.GetString(), kBenchUser);
    return true;
}

int Report(const BenchOptions& options, const BenchResults& results, double dSeconds) {
    if (!IsComplete(results, options.nPersons)) {
        std::fprintf(stderr,
                     "kvt_bench_calc: incomplete results: %ld daily rows of %ld, %ld carry-over rows of %d; "
                     "see %s/CppKvt.log\n",
                     results.nDailyRows, results.nCalendarDays * options.nPersons, results.nCarryOverRows,
                     options.nPersons, options.strWorkDir.GetString());
        return kExitFailed;
    }
    std::printf(
        "calc: %d persons in %.2f s: %.1f persons/s, %.0f daily rows/s (%ld daily rows, %.1f ms a person)\n",
        options.nPersons, dSeconds, options.nPersons / dSeconds,
        static_cast<double>(results.nDailyRows) / dSeconds, results.nDailyRows,
        dSeconds * 1000.0 / options.nPersons);
    return kExitOk;
}

}  // namespace

int main(int argc, char* argv[]) {
    // Figures and failures appear in the order they happen, also when both streams go to a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    BenchOptions options;
    if (!ParseBenchOptions(argc, argv, &options)) {
        PrintBenchUsage();
        return kExitUsage;
    }
    BenchConnection connection;
    CBenchDatabase loader;
    CIniConfig config;
    CDbConnection db;
    g_log.SetMaxSize(2000000);
    g_log.SetFileName(options.strWorkDir, "CppKvt");
    if (!DescribeConnection(options, &connection) || !ConnectLoader(loader, connection)) {
        return kExitFailed;
    }
    if (options.bQueue) {
        return (options.bSkipLoad || Load(loader, options)) && Queue(loader, options) ? kExitOk : kExitFailed;
    }
    if (!ConnectProgram(db, config, options, connection)) {
        return kExitFailed;
    }

    std::printf("%s statements on %s, schema %s, year %d\n", options.strDbSystem.GetString(),
                options.strDsn.GetString(), options.strSchema.GetString(), kBenchYear);
    if (!options.bSkipLoad && !Load(loader, options)) {
        return kExitFailed;
    }
    const double dSeconds = CalculatePersons(db, options.nPersons);

    BenchResults results;
    if (!CountBenchResults(loader, options.strSchema, options.nPersons, &results)) {
        return kExitFailed;
    }
    return Report(options, results, dSeconds);
}
