#include "bench/BenchQueue.h"

#include "bench/BenchData.h"

namespace {

const char* const kDeleteRequests = "DELETE FROM ZTWBASIS.ZTW002PRM WHERE PRMSCH = '%s'";

// The error table names no schema; the benchmark's request numbers are the ones beginning with B.
const char* const kDeleteClosingRows = "DELETE FROM ZTWBASIS.ZTW002ERR WHERE ERRPRM LIKE 'B%%'";

const char* const kRequests =
    "INSERT INTO ZTWBASIS.ZTW002PRM "
    "       (PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR, PRMPNR, PRMDTM, PRMUHR, PRMFCD, PRMERF) "
    "SELECT CONCAT('B', LPAD(seq, 7, '0')), 1, 5, '%s', '%s', CONCAT('B', LPAD(seq, 7, '0')), '%d-12-31', "
    "       '%d-12-31 08:00:00', 'SF', 'BENCH' "
    "FROM %s.seq_1_to_%d";

}  // namespace

bool QueueBenchRequests(CBenchDatabase& db, const CString& strSchema, int nPersons) {
    const char* pszSchema = strSchema.GetString();
    CString strDeleteRequests;
    CString strRequests;
    strDeleteRequests.Format(kDeleteRequests, pszSchema);
    strRequests.Format(kRequests, pszSchema, kBenchUser, kBenchYear, kBenchYear, pszSchema, nPersons);
    return db.Exec(strDeleteRequests) >= 0 && db.Exec(kDeleteClosingRows) >= 0 &&
           db.Exec(strRequests) == nPersons;
}
