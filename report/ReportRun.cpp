#include "report/ReportRun.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "base/Cp1252.h"
#include "config/CIniConfig.h"
#include "db/CDbConnection.h"
#include "report/CReportOutput.h"
#include "report/CRequestQueue.h"
#include "report/ExplanationHead.h"
#include "report/StaleCheck.h"
#include "report/SvgChart.h"

namespace {

const char* const kRestRule =
    "Rest = Anspruch + Vortrag - genommen - geplant; ab der Frist des Vortrags z\xE4hlt statt des Vortrags "
    "nur, was von ihm genutzt war.\n";

int32_t Today() {
    const time_t now = time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    return (local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday;
}

CString PersonFailure(const PersonYear& year) {
    return "Personalnummer " + year.strPnr + ": " + year.strFailure;
}

bool WriteFile(const CString& strPath, const std::string& strBytes) {
    FILE* pFile = std::fopen(strPath, "wb");
    if (pFile == nullptr) {
        return false;
    }
    const bool bWritten = std::fwrite(strBytes.data(), 1, strBytes.size(), pFile) == strBytes.size();
    return std::fclose(pFile) == 0 && bWritten;
}

// The explanation of each person's year, in the order given.
int ExplainPersons(CDbConnection& db, const ReportOptions& options, int32_t nDate, CReportOutput& output) {
    int nExit = kExitOk;
    bool bHeadings = true;
    for (const CString& strPnr : options.persons) {
        PersonYear year;
        const CalcOutcome outcome = CalculatePersonYear(db, strPnr, nDate, &year);
        if (outcome != CalcOutcome::Done) {
            output.Error(PersonFailure(year));
            if (outcome == CalcOutcome::NotRolledBack) {
                return kExitDatabase;
            }
            nExit = kExitDatabase;
            continue;
        }
        const ExplainedYear explained = ExplainYear(year);
        const ReportTable table = BuildYearTable(year, explained, options.bDays, options.bCsv);
        if (options.bCsv) {
            output.Data(FormatCsv(table, bHeadings));
            bHeadings = false;
        } else if (explained.days.empty()) {
            output.Data(FormatExplanationHead(year, explained) + "\n");
        } else {
            output.Data(FormatExplanationHead(year, explained) + "\n" + FormatTextTable(table) + kRestRule +
                        "\n");
        }
        if (!options.strSvgPath.IsEmpty() &&
            !WriteFile(options.strSvgPath, Utf8FromCp1252(FormatSvgChart(year, explained)))) {
            output.Error("Die SVG-Datei " + options.strSvgPath + " kann nicht geschrieben werden.");
            nExit = std::max(nExit, kExitOutput);
        }
    }
    return nExit;
}

// Each person's stored results against a calculation, one person at a time; with --queue a
// request for each person whose results differ.
int CheckPersons(CDbConnection& db, const ReportOptions& options, const std::vector<CString>& persons,
                 int32_t nDate, CReportOutput& output) {
    ReportTable table = StaleTable();
    std::vector<CString> notes;
    CRequestQueue queue(db, options.strSchema, options.strUser);
    size_t nStale = 0;
    bool bFailed = false;
    for (size_t i = 0; i < persons.size(); ++i) {
        output.Progress(i, persons.size());
        PersonYear year;
        const CalcOutcome outcome = CalculatePersonYear(db, persons[i], nDate, &year);
        if (outcome != CalcOutcome::Done) {
            output.EndProgress();
            output.Error(PersonFailure(year));
            if (outcome == CalcOutcome::NotRolledBack) {
                return kExitDatabase;
            }
            bFailed = true;
            continue;
        }
        const std::vector<StaleFinding> findings = FindStaleResults(year);
        if (findings.empty()) {
            continue;
        }
        ++nStale;
        AddStaleRows(year, findings, &table);
        CString strRequest;
        if (options.bQueue && queue.Queue(year.strPnr, nDate, &strRequest) != 0) {
            output.EndProgress();
            output.Error("Personalnummer " + year.strPnr + ": Berechnungsauftrag nicht eingestellt. " +
                         db.GetSqlMessage());
            bFailed = true;
        } else if (options.bQueue) {
            notes.push_back("Berechnungsauftrag " + strRequest + " f\xFCr Personalnummer " + year.strPnr +
                            " eingestellt");
        }
    }
    output.EndProgress();
    CString strSummary;
    strSummary.Format("%zu von %zu Personen mit abweichenden Ergebnissen", nStale, persons.size());
    if (options.bCsv) {
        output.Data(FormatCsv(table, true));
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
        return ExplainPersons(db, options, nDate, output);
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

int RunReport(const ReportOptions& options) {
    CReportOutput output(options.bCsv, options.bAll);
    CIniConfig config;
    config.SetIniFile(options.strIniFile);
    CDbConnection db;
    db.SetConfig(&config);
    db.SetSchema(options.strSchema);
    if (db.Connect() != 0) {
        CString strText;
        strText.Format("Fehler beim Verbindungsaufbau zur Datenbank: SqlCode: %ld, SqlState: %s, %s",
                       static_cast<long>(db.GetSqlCode()), db.GetSqlState().GetString(),
                       db.GetSqlMessage().GetString());
        output.Error(strText);
        return kExitConnection;
    }
    const int32_t nDate = options.nYear != 0 ? options.nYear * 10000 + 1231 : Today();
    const int nExit = ReportPersons(db, options, nDate, output);
    return output.Flush() ? nExit : std::max(nExit, kExitOutput);
}
