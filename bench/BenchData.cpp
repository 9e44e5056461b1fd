#include "bench/BenchData.h"

namespace {

const char* const kTables[] = {"ZTW300PNR", "ZTW155KVT", "ZTW310BSV", "ZTW155SF1", "ZTW329ZTG", "ZTW320TGB",
                               "ZTW327TAG", "ZTW131FCD", "ZTW321BCH", "ZTW332SFZ", "ZTW332SFV"};

// Two rules on the calendar year. SF01 grants half days and loses the carry-over after March;
// SF02 grants quarter days and keeps it until June. Both caps lie within reach of a busy year.
const char* const kRules =
    "INSERT INTO %s.ZTW155KVT (KVTMOD, KVTANZ, KVTTKT, KVTMAX, KVTVMO, KVTJMO) VALUES "
    "('SF01', 6, 3, 150, 3, NULL), ('SF02', 4, 1, 100, 6, NULL)";

// Late and night shifts qualify from six hours, nights earn more from eight; early shifts earn
// under SF02 only. Fifty further rules give the index on rule and model something to choose from.
const char* const kShareRules =
    "INSERT INTO %s.ZTW155SF1 (SF1NUM, SF1AZT, SF1MIN, SF1ANT) VALUES "
    "('SF01', 'SPAET', 6.00, 1.0), ('SF01', 'NACHT', 6.00, 1.5), ('SF01', 'NACHT', 8.00, 0.5), "
    "('SF02', 'SPAET', 6.00, 1.0), ('SF02', 'NACHT', 6.00, 2.0), ('SF02', 'FRUEH', 8.00, 0.5)";
const char* const kOtherShareRules =
    "INSERT INTO %s.ZTW155SF1 (SF1NUM, SF1AZT, SF1MIN, SF1ANT) "
    "SELECT CONCAT('R', LPAD(r.seq, 3, '0')), ELT(m.seq, 'FRUEH', 'SPAET', 'NACHT'), 6.00, 1.0 "
    "FROM %s.seq_1_to_50 r, %s.seq_1_to_3 m";

// Codes of kind 25 are shift free time; two hundred codes of other kinds surround them.
const char* const kAbsenceCodes =
    "INSERT INTO %s.ZTW131FCD (FCDNUM, FCDFCD) VALUES ('SF', 25), ('SFH', 25), ('U', 1), ('K', 2)";
const char* const kOtherAbsenceCodes =
    "INSERT INTO %s.ZTW131FCD (FCDNUM, FCDFCD) SELECT CONCAT('C', seq), 100 + MOD(seq, 20) "
    "FROM %s.seq_1_to_200";

const char* const kPersons =
    "INSERT INTO %s.ZTW300PNR (PNRNUM) SELECT CONCAT('B', LPAD(seq, 7, '0')) FROM %s.seq_1_to_%d";

// Every person has a contract since five years before; every fourth changes to SF02 on July 1,
// so that the year is calculated in two rows; every fifth has an old contract that ended before.
const char* const kContracts =
    "INSERT INTO %s.ZTW310BSV (BSVPNR, BSVGVO, BSVGBI, BSVKVT) "
    "SELECT CONCAT('B', LPAD(seq, 7, '0')), '%d-01-01', IF(MOD(seq, 4) = 0, '%d-06-30', NULL), "
    "       IF(MOD(seq, 2) = 0, 'SF01', 'SF02') "
    "FROM %s.seq_1_to_%d";
const char* const kSecondContracts =
    "INSERT INTO %s.ZTW310BSV (BSVPNR, BSVGVO, BSVGBI, BSVKVT) "
    "SELECT CONCAT('B', LPAD(seq, 7, '0')), '%d-07-01', NULL, 'SF02' "
    "FROM %s.seq_1_to_%d WHERE MOD(seq, 4) = 0";
const char* const kOldContracts =
    "INSERT INTO %s.ZTW310BSV (BSVPNR, BSVGVO, BSVGBI, BSVKVT) "
    "SELECT CONCAT('B', LPAD(seq, 7, '0')), '%d-01-01', '%d-12-31', 'SF01' "
    "FROM %s.seq_1_to_%d WHERE MOD(seq, 5) = 0";

// The plan of every person's days, from which the day tables are filled: W a working day, S a
// Saturday shift (every fourth week), F a day off, B a whole and H a half free day taken. About
// one working day in nine is taken off, one in five of them as a half day.
const char* const kDayPlan =
    "CREATE TEMPORARY TABLE %s.BENCH_DAY (PRIMARY KEY (NR, DTM)) "
    "SELECT p.seq AS NR, CONCAT('B', LPAD(p.seq, 7, '0')) AS PNR, c.BAKDTM AS DTM, "
    "       DAYOFYEAR(c.BAKDTM) AS DOY, WEEK(c.BAKDTM, 3) AS WK, "
    "       CASE WHEN WEEKDAY(c.BAKDTM) = 5 AND MOD(WEEK(c.BAKDTM, 3) + p.seq, 4) = 0 THEN 'S' "
    "            WHEN WEEKDAY(c.BAKDTM) >= 5 THEN 'F' "
    "            WHEN MOD(DAYOFYEAR(c.BAKDTM) * 7 + p.seq, 9) <> 0 THEN 'W' "
    "            WHEN MOD(DAYOFYEAR(c.BAKDTM) + p.seq, 5) = 0 THEN 'H' "
    "            ELSE 'B' END AS KIND "
    "FROM %s.seq_1_to_%d p, ZTWBASIS.ZTW133BAK c "
    "WHERE c.BAKDTM BETWEEN '%d-01-01' AND '%d-12-31'";

// Early, late and night shifts rotate weekly.
const char* const kShifts =
    "INSERT INTO %s.ZTW329ZTG (ZTGPNR, ZTGVON, ZTGAZT) "
    "SELECT PNR, DTM, ELT(1 + MOD(WK + NR, 3), 'FRUEH', 'SPAET', 'NACHT') "
    "FROM %s.BENCH_DAY WHERE KIND IN ('W', 'S', 'H')";

// One balance a day; shift days reach 5.0 to 9.0 hours, so some fall short of every threshold,
// and one day in 23 lies outside the time frame.
const char* const kBalances =
    "INSERT INTO %s.ZTW320TGB (TGBPNR, TGBDTM, TGBZTR, TGBMAX) "
    "SELECT PNR, DTM, IF(MOD(DOY + NR, 23) = 0, 0, 1), "
    "       IF(KIND IN ('W', 'S', 'H'), 5.00 + MOD(DOY * 3 + NR, 6) * 0.80, 0) "
    "FROM %s.BENCH_DAY";

// One day record a day; the free days carry their code in the whole-day or a half-day column.
const char* const kDayRecords =
    "INSERT INTO %s.ZTW327TAG (TAGPNR, TAGTAG, TAGTGB, TAGHTV, TAGHTN) "
    "SELECT PNR, DTM, IF(KIND = 'B', 'SF', NULL), IF(KIND = 'H' AND MOD(DOY, 2) = 0, 'SF', NULL), "
    "       IF(KIND = 'H' AND MOD(DOY, 2) = 1, 'SF', NULL) "
    "FROM %s.BENCH_DAY";

// Most free days are booked as shift free time; some as leave (another kind of code) and some
// with a function that the calculation does not count.
const char* const kBookings =
    "INSERT INTO %s.ZTW321BCH (BCHPNR, BCHVON, BCHFKT, BCHFCD) "
    "SELECT PNR, DTM, IF(MOD(DOY * 5 + NR, 11) = 0, 4, 1 + MOD(DOY + NR, 3)), "
    "       CASE WHEN MOD(DOY + 2 * NR, 7) = 0 THEN 'U' WHEN MOD(DOY, 2) = 0 THEN 'SF' ELSE 'SFH' END "
    "FROM %s.BENCH_DAY WHERE KIND IN ('B', 'H')";

// A production database keeps the free days of earlier years as well, which the count of booked
// days has to pass over: the two years before carry the same bookings with their day records.
// The dates move by whole years and the benchmark year has no February 29, so no two collide.
const char* const kEarlierBookings =
    "INSERT INTO %s.ZTW321BCH (BCHPNR, BCHVON, BCHFKT, BCHFCD) "
    "SELECT BCHPNR, BCHVON - INTERVAL y.seq YEAR, BCHFKT, BCHFCD FROM %s.ZTW321BCH, %s.seq_1_to_2 y";
const char* const kEarlierDayRecords =
    "INSERT INTO %s.ZTW327TAG (TAGPNR, TAGTAG, TAGTGB, TAGHTV, TAGHTN) "
    "SELECT TAGPNR, TAGTAG - INTERVAL y.seq YEAR, TAGTGB, TAGHTV, TAGHTN FROM %s.ZTW327TAG, %s.seq_1_to_2 y "
    "WHERE TAGTGB IS NOT NULL OR TAGHTV IS NOT NULL OR TAGHTN IS NOT NULL";

// Every sixth person brings no carry-over into the year.
const char* const kCarryOvers =
    "INSERT INTO %s.ZTW332SFV (SFVPNR, SFVJHR, SFVMAN, SFVVTG, SFVVAN, SFVZUS, SFVDAT, SFVERF, SFVSTA) "
    "SELECT CONCAT('B', LPAD(seq, 7, '0')), %d, 0, MOD(seq, 4) + MOD(seq, 2) * 0.5, MOD(seq * 3, 7), "
    "       MOD(seq, 11), CURRENT_TIMESTAMP, 'BENCH', 1 "
    "FROM %s.seq_1_to_%d WHERE MOD(seq, 6) <> 0";

const char* const kDropDayPlan = "DROP TEMPORARY TABLE %s.BENCH_DAY";

// Fresh statistics, as a production database would have them, so that the optimizer plans the
// calculation's statements on the loaded sizes.
const char* const kAnalyze =
    "ANALYZE TABLE %s.ZTW300PNR, %s.ZTW310BSV, %s.ZTW155SF1, %s.ZTW329ZTG, %s.ZTW320TGB, %s.ZTW327TAG, "
    "%s.ZTW131FCD, %s.ZTW321BCH, %s.ZTW332SFV";

// Adds the rows of one statement to *pnRows; false when it failed.
bool Run(CBenchDatabase& db, const CString& strSql, long* pnRows) {
    const long nRows = db.Exec(strSql);
    if (nRows < 0) {
        return false;
    }
    *pnRows += nRows;
    return true;
}

bool EmptyTables(CBenchDatabase& db, const char* pszSchema) {
    CString strSql;
    for (const char* pszTable : kTables) {
        strSql.Format("TRUNCATE TABLE %s.%s", pszSchema, pszTable);
        if (db.Exec(strSql) < 0) {
            return false;
        }
    }
    return true;
}

bool LoadRules(CBenchDatabase& db, const char* pszSchema, long* pnRows) {
    CString strRules;
    CString strShares;
    CString strOtherShares;
    CString strCodes;
    CString strOtherCodes;
    strRules.Format(kRules, pszSchema);
    strShares.Format(kShareRules, pszSchema);
    strOtherShares.Format(kOtherShareRules, pszSchema, pszSchema, pszSchema);
    strCodes.Format(kAbsenceCodes, pszSchema);
    strOtherCodes.Format(kOtherAbsenceCodes, pszSchema, pszSchema);
    return Run(db, strRules, pnRows) && Run(db, strShares, pnRows) && Run(db, strOtherShares, pnRows) &&
           Run(db, strCodes, pnRows) && Run(db, strOtherCodes, pnRows);
}

bool LoadPersons(CBenchDatabase& db, const char* pszSchema, int nPersons, long* pnRows) {
    CString strPersons;
    CString strContracts;
    CString strSecond;
    CString strOld;
    CString strCarryOvers;
    strPersons.Format(kPersons, pszSchema, pszSchema, nPersons);
    strContracts.Format(kContracts, pszSchema, kBenchYear - 5, kBenchYear, pszSchema, nPersons);
    strSecond.Format(kSecondContracts, pszSchema, kBenchYear, pszSchema, nPersons);
    strOld.Format(kOldContracts, pszSchema, kBenchYear - 8, kBenchYear - 6, pszSchema, nPersons);
    strCarryOvers.Format(kCarryOvers, pszSchema, kBenchYear, pszSchema, nPersons);
    return Run(db, strPersons, pnRows) && Run(db, strContracts, pnRows) && Run(db, strSecond, pnRows) &&
           Run(db, strOld, pnRows) && Run(db, strCarryOvers, pnRows);
}

bool LoadDays(CBenchDatabase& db, const char* pszSchema, int nPersons, long* pnRows) {
    CString strPlan;
    strPlan.Format(kDayPlan, pszSchema, pszSchema, nPersons, kBenchYear, kBenchYear);
    if (db.Exec(strPlan) < 0) {
        return false;
    }
    bool bLoaded = true;
    for (const char* pszTemplate : {kShifts, kBalances, kDayRecords, kBookings}) {
        CString strSql;
        strSql.Format(pszTemplate, pszSchema, pszSchema);
        if (!Run(db, strSql, pnRows)) {
            bLoaded = false;
            break;
        }
    }
    CString strDrop;
    strDrop.Format(kDropDayPlan, pszSchema);
    return db.Exec(strDrop) >= 0 && bLoaded;
}

bool LoadEarlierYears(CBenchDatabase& db, const char* pszSchema, long* pnRows) {
    CString strBookings;
    CString strDayRecords;
    strBookings.Format(kEarlierBookings, pszSchema, pszSchema, pszSchema);
    strDayRecords.Format(kEarlierDayRecords, pszSchema, pszSchema, pszSchema);
    return Run(db, strBookings, pnRows) && Run(db, strDayRecords, pnRows);
}

bool Analyze(CBenchDatabase& db, const char* pszSchema) {
    CString strSql;
    strSql.Format(kAnalyze, pszSchema, pszSchema, pszSchema, pszSchema, pszSchema, pszSchema, pszSchema,
                  pszSchema, pszSchema);
    return db.Exec(strSql) >= 0;
}

}  // namespace

CString BenchPnr(int nPerson) {
    CString strPnr;
    strPnr.Format("B%07d", nPerson);
    return strPnr;
}

bool LoadBenchData(CBenchDatabase& db, const CString& strSchema, int nPersons, long* pnRows) {
    const char* pszSchema = strSchema.GetString();
    *pnRows = 0;
    return EmptyTables(db, pszSchema) && LoadRules(db, pszSchema, pnRows) &&
           LoadPersons(db, pszSchema, nPersons, pnRows) && LoadDays(db, pszSchema, nPersons, pnRows) &&
           LoadEarlierYears(db, pszSchema, pnRows) && Analyze(db, pszSchema);
}
