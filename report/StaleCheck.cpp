#include "report/StaleCheck.h"

#include <cmath>
#include <utility>

#include "report/ReportFormat.h"

namespace {

// Six decimals, the scale of the stored columns: two values are the same when they are stored
// the same.
bool SameValue(const ResultRow& a, const ResultRow& b, size_t nColumn) {
    if (a.isNull[nColumn] || b.isNull[nColumn]) {
        return a.isNull[nColumn] == b.isNull[nColumn];
    }
    return std::llround(a.values[nColumn] * 1e6) == std::llround(b.values[nColumn] * 1e6);
}

CString ValueText(const ResultRow& row, size_t nColumn) {
    return row.isNull[nColumn] ? CString("NULL") : FormatNumber(row.values[nColumn]);
}

// The changes between two rows of the same key; a row missing on one side is one change.
template <size_t N>
std::vector<ColumnChange> Changes(const ResultRow* pStored, const ResultRow* pNew,
                                  const std::array<const char*, N>& names) {
    if (pStored == nullptr || pNew == nullptr) {
        return {{"Zeile", pStored != nullptr ? "vorhanden" : "fehlt",
                 pNew != nullptr ? "vorhanden" : "entf\xE4llt"}};
    }
    std::vector<ColumnChange> changes;
    for (size_t i = 0; i < N; ++i) {
        if (!SameValue(*pStored, *pNew, i)) {
            changes.push_back({names[i], ValueText(*pStored, i), ValueText(*pNew, i)});
        }
    }
    return changes;
}

CString DayPlace(int32_t nDay) {
    return FormatIsoDate(nDay);
}

CString YearPlace(int32_t nYear) {
    CString strPlace;
    strPlace.Format("Vortrag %d", nYear);
    return strPlace;
}

// Walks both lists in key order. With bFirstOnly the walk ends at the first key that differs.
template <size_t N>
void CompareRows(const std::vector<ResultRow>& stored, const std::vector<ResultRow>& computed,
                 const std::array<const char*, N>& names, CString (*pfnPlace)(int32_t), bool bFirstOnly,
                 std::vector<StaleFinding>* pFindings) {
    auto itStored = stored.begin();
    auto itNew = computed.begin();
    while (itStored != stored.end() || itNew != computed.end()) {
        const int32_t nKey =
            itNew == computed.end() || (itStored != stored.end() && itStored->key < itNew->key)
                ? itStored->key
                : itNew->key;
        const ResultRow* pStored = itStored != stored.end() && itStored->key == nKey ? &*itStored++ : nullptr;
        const ResultRow* pNew = itNew != computed.end() && itNew->key == nKey ? &*itNew++ : nullptr;
        std::vector<ColumnChange> changes = Changes(pStored, pNew, names);
        if (!changes.empty()) {
            pFindings->push_back({pfnPlace(nKey), std::move(changes)});
            if (bFirstOnly) {
                return;
            }
        }
    }
}

}  // namespace

std::vector<StaleFinding> FindStaleResults(const PersonYear& year) {
    std::vector<StaleFinding> findings;
    CompareRows(year.stored.days, year.computed.days, kDailyColumnNames, DayPlace, true, &findings);
    CompareRows(year.stored.years, year.computed.years, kYearColumnNames, YearPlace, false, &findings);
    return findings;
}

ReportTable StaleTable() {
    ReportTable table;
    table.headings = {"PNR", "Jahr", "Tag/Zeile", "Spalte", "gespeichert", "neu"};
    table.nTextColumns = 4;
    return table;
}

void AddStaleRows(const PersonYear& year, const std::vector<StaleFinding>& findings, ReportTable* pTable) {
    CString strYear;
    strYear.Format("%d", year.nCalcYear);
    for (const StaleFinding& finding : findings) {
        for (const ColumnChange& change : finding.changes) {
            pTable->rows.push_back(
                {year.strPnr, strYear, finding.strPlace, change.strColumn, change.strStored, change.strNew});
        }
    }
}
