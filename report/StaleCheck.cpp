#include "report/StaleCheck.h"

#include <array>
#include <cmath>
#include <utility>

#include "report/ReportFormat.h"

namespace {

constexpr std::array<double, kSentDecimals + 1> kPowersOfTen = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};
// How far beyond half a unit of the last kept decimal a new value may lie from the stored one:
// the error of the double's product, far below the millionths the calculation sends.
constexpr double kProductError = 1e-6;

// The stored value is the new one when it is what the column keeps of it: the new value rounded to
// the column's decimals, either way at an exact half, which the products round differently.
bool SameValue(const ResultRow& stored, const ResultRow& computed, size_t nColumn, int nDecimals) {
    if (stored.isNull[nColumn] || computed.isNull[nColumn]) {
        return stored.isNull[nColumn] == computed.isNull[nColumn];
    }
    const double dScale = kPowersOfTen[static_cast<size_t>(nDecimals)];
    const double dStoredUnits = static_cast<double>(std::llround(stored.values[nColumn] * dScale));
    return std::fabs(computed.values[nColumn] * dScale - dStoredUnits) < 0.5 + kProductError;
}

CString ValueText(const ResultRow& row, size_t nColumn) {
    return row.isNull[nColumn] ? CString("NULL") : FormatNumber(row.values[nColumn]);
}

// The changes between two rows of the same key; a row missing on one side is one change.
template <size_t N>
std::vector<ColumnChange> Changes(const ResultRow* pStored, const ResultRow* pNew,
                                  const std::array<const char*, N>& names,
                                  const ColumnDecimals& decimals) {
    if (pStored == nullptr || pNew == nullptr) {
        return {{"Zeile", pStored != nullptr ? "vorhanden" : "fehlt",
                 pNew != nullptr ? "vorhanden" : "entf\xE4llt"}};
    }
    std::vector<ColumnChange> changes;
    for (size_t i = 0; i < N; ++i) {
        if (!SameValue(*pStored, *pNew, i, decimals[i])) {
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
                 const std::array<const char*, N>& names, const ColumnDecimals& decimals,
                 CString (*pfnPlace)(int32_t), bool bFirstOnly, std::vector<StaleFinding>* pFindings) {
    auto itStored = stored.begin();
    auto itNew = computed.begin();
    while (itStored != stored.end() || itNew != computed.end()) {
        const int32_t nKey =
            itNew == computed.end() || (itStored != stored.end() && itStored->key < itNew->key)
                ? itStored->key
                : itNew->key;
        const ResultRow* pStored = itStored != stored.end() && itStored->key == nKey ? &*itStored++ : nullptr;
        const ResultRow* pNew = itNew != computed.end() && itNew->key == nKey ? &*itNew++ : nullptr;
        std::vector<ColumnChange> changes = Changes(pStored, pNew, names, decimals);
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
    const StoredResults& stored = year.stored;
    CompareRows(stored.days, year.computed.days, kDailyColumnNames, stored.dayDecimals, DayPlace, true, &findings);
    CompareRows(stored.years, year.computed.years, kYearColumnNames, stored.yearDecimals, YearPlace, false,
                &findings);
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
