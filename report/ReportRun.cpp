#include "report/ReportRun.h"

#include <algorithm>
#include <ctime>

#include "config/CIniConfig.h"
#include "db/CDbConnection.h"
#include "db/DataSources.h"
#include "report/CReportOutput.h"
#include "report/CRequestQueue.h"
#include "report/Explanation.h"
#include "report/StaleCheck.h"
#include "report/StoredYears.h"

namespace {

int32_t Today() {
    const time_t now = time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    return (local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday;
}

CString PersonFailure(const PersonYear& year) {
    return "Personalnummer " + year.strPnr + ": " + year.strFailure;
}

// A request for the person's year, dated on its last day; the note says which, an error line why not.
bool QueueRequest(CDbConnection& db, CRequestQueue& queue, const PersonYear& year, CReportOutput& output,
                  std::vector<CString>* pNotes) {
    const int32_t nDate = year.nPeriodStart != 0 ? year.nPeriodEnd : year.nCalcYear * 10000 + 1231;
    CString strRequest;
    CString strText;
    if (queue.Queue(year.strPnr, nDate, &strRequest) != 0) {
        output.EndProgress();
        strText.Format("Personalnummer %s, Jahr %d: Berechnungsauftrag nicht eingestellt. %s",
                       year.strPnr.GetString(), year.nCalcYear, db.GetSqlMessage().GetString());
        output.Error(strText);
        return false;
    }
    strText.Format("Berechnungsauftrag %s f\xFCr Personalnummer %s, Jahr %d, eingestellt",
                   strRequest.GetString(), year.strPnr.GetString(), year.nCalcYear);
    pNotes->push_back(strText);
    return true;
}

// A personnel number named on the command line that is neither in ZTW300PNR nor in a contract row
// is a mistake, not a person without results; the error line says so.
bool IsKnownPerson(CDbConnection& db, const CString& strPnr, CReportOutput& output) {
    bool bListed = true;
    bool bContracts = true;
    CString strFailure;
    if (!ReadPersonListing(db, strPnr, &bListed, &bContracts, &strFailure)) {
        output.Error("Personalnummer " + strPnr + ": " + strFailure);
        return false;
    }
    if (!bListed && !bContracts) {
        output.Error(UnknownPerson(strPnr));
        return false;
    }
    return true;
}

// The years of a person to check: the one of --year, or those with stored results.
CalcOutcome CalculateCheckedYears(CDbConnection& db, const ReportOptions& options, const CString& strPnr,
                                  int32_t nDate, std::vector<PersonYear>* pYears) {
    if (options.nYear != 0) {
        pYears->emplace_back();
        return CalculatePersonYear(db, strPnr, nDate, &pYears->back());
    }
    const CheckScope scope{options.nSince, options.bMissing, Today()};
    return CalculateStoredYears(db, strPnr, scope, pYears);
}

// Each person's stored results against a calculation, one person at a time; with --queue a
// request for each person and year whose results differ, dated on the last day of the year.
int CheckPersons(CDbConnection& db, const ReportOptions& options, const std::vector<CString>& persons,
                 int32_t nDate, CReportOutput& output) {
    ReportTable table = StaleTable();
    std::vector<CString> notes;
    CRequestQueue queue(db, options.strSchema, options.strUser);
    // Without --year a year still running counts as calculated up to its last stored day.
    const int32_t nToday = options.nYear == 0 && !options.bMissing ? Today() : 0;
    size_t nStale = 0;
    bool bFailed = false;
    for (size_t i = 0; i < persons.size(); ++i) {
        output.Progress(i, persons.size());
        if (!options.bAll && !IsKnownPerson(db, persons[i], output)) {
            bFailed = true;
            continue;
        }
        std::vector<PersonYear> years;
        const CalcOutcome outcome = CalculateCheckedYears(db, options, persons[i], nDate, &years);
        if (outcome != CalcOutcome::Done) {
            output.EndProgress();
            output.Error(PersonFailure(years.back()));
            if (outcome == CalcOutcome::NotRolledBack) {
                return kExitDatabase;
            }
            bFailed = true;
            years.pop_back();
        }
        bool bStale = false;
        for (const PersonYear& year : years) {
            const std::vector<StaleFinding> findings = FindStaleResults(year, FirstPendingDay(year, nToday));
            if (findings.empty()) {
                continue;
            }
            bStale = true;
            AddStaleRows(year, findings, &table);
            if (options.bQueue && !QueueRequest(db, queue, year, output, &notes)) {
                bFailed = true;
            }
        }
        nStale += bStale ? 1 : 0;
    }
    output.EndProgress();
    CString strSummary;
    strSummary.Format("%zu von %zu Personen mit abweichenden Ergebnissen", nStale, persons.size());
    if (options.csv != CsvStyle::None) {
        output.Data(FormatCsv(table, true, options.csv));
    } else if (nStale > 0) {
        output.Data(FormatTextTable(table));
    }
    for (const CString& strNote : notes) {
        output.Note(strNote);
    }
    output.Note(strSummary);
    return bFailed ? kExitDatabase : nStale > 0 ? kExitDifferences : kExitOk;
}

int ReportPersons(CDbConnection& db, const ReportOptions& options, int32_t nDate, CReportOutput& output) {
    if (!options.bCheck) {
        return ExplainPersons(db, options, Today(), output);
    }
    if (!options.bAll) {
        return CheckPersons(db, options, options.persons, nDate, output);
    }
    std::vector<CString> persons;
    if (db.ReadKvtPersons(&persons) != 0 || db.Rollback() != 0) {
        output.Error("Die Personen des Schemas k\xF6nnen nicht gelesen werden. " + db.GetSqlMessage());
        return kExitDatabase;
    }
    return CheckPersons(db, options, persons, nDate, output);
}

}  // namespace

CString UnknownPerson(const CString& strPnr) {
    return "Personalnummer " + strPnr + " ist unbekannt: nicht in ZTW300PNR und ohne Vertragszeile";
}

int RunReport(const ReportOptions& options) {
    CReportOutput output(options.csv, options.bAll);
    CIniConfig config;
    config.SetIniFile(options.strIniFile);
    const std::vector<CString> faults = FindStartFaults(config, !options.strSchema.IsEmpty());
    for (const CString& strFault : faults) {
        output.Error("Konfigurationsdatei " + options.strIniFile + strFault);
    }
    if (!faults.empty()) {
        return kExitUsage;
    }
    CDbConnection db;
    db.SetConfig(&config);
    db.SetSchema(options.strSchema);
    if (db.Connect() != 0) {
        CString strText;
        if (db.GetSqlState().IsEmpty()) {
            strText.Format("Fehler beim Verbindungsaufbau zur Datenbank: %s", db.GetSqlMessage().GetString());
        } else {
            strText.Format("Fehler beim Verbindungsaufbau zur Datenbank: SqlCode: %ld, SqlState: %s, %s",
                           static_cast<long>(db.GetSqlCode()), db.GetSqlState().GetString(),
                           db.GetSqlMessage().GetString());
        }
        output.Error(strText);
        return kExitConnection;
    }
    const int32_t nDate = options.nYear != 0 ? options.nYear * 10000 + 1231 : Today();
    const int nExit = ReportPersons(db, options, nDate, output);
    return output.Flush() ? nExit : std::max(nExit, kExitOutput);
}
