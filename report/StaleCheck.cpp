#include "report/StaleCheck.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "calc/DateAdd.h"
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

// The columns that differ between two rows of the same key.
template <size_t N>
std::vector<ColumnChange> Changes(const ResultRow& stored, const ResultRow& computed,
                                  const std::array<const char*, N>& names, const ColumnDecimals& decimals) {
    std::vector<ColumnChange> changes;
    for (size_t i = 0; i < N; ++i) {
        if (!SameValue(stored, computed, i, decimals[i])) {
            changes.push_back({names[i], ValueText(stored, i), ValueText(computed, i)});
        }
    }
    return changes;
}

CString DayCount(int nDays) {
    CString strText;
    strText.Format(nDays == 1 ? "%d Tag" : "%d Tage", nDays);
    return strText;
}

// A kind of row that only one side has: its first day and how many days there are of it.
struct OneSided {
    int32_t nFirst = 0;
    int nCount = 0;

    void Add(int32_t nDay) {
        if (nCount++ == 0) {
            nFirst = nDay;
        }
    }
};

// Walks both lists in key order; visit gets the stored and the computed row of each
// key, either of them null where that side has none.
template <typename Visit>
void WalkKeys(const std::vector<ResultRow>& stored, const std::vector<ResultRow>& computed, Visit visit) {
    auto itStored = stored.begin();
    auto itNew = computed.begin();
    while (itStored != stored.end() || itNew != computed.end()) {
        const int32_t nKey =
            itNew == computed.end() || (itStored != stored.end() && itStored->key < itNew->key)
                ? itStored->key
                : itNew->key;
        const ResultRow* pStored = itStored != stored.end() && itStored->key == nKey ? &*itStored++ : nullptr;
        const ResultRow* pNew = itNew != computed.end() && itNew->key == nKey ? &*itNew++ : nullptr;
        visit(nKey, pStored, pNew);
    }
}

void CompareDays(const PersonYear& year, int32_t nPendingFrom, std::vector<StaleFinding>* pFindings) {
    StaleFinding firstChange;
    OneSided dropped;
    OneSided missing;
    WalkKeys(year.stored.days, year.computed.days,
             [&](int32_t nDay, const ResultRow* pStored, const ResultRow* pNew) {
                 if (pNew == nullptr) {
                     dropped.Add(nDay);
                 } else if (pStored == nullptr) {
                     if (nPendingFrom == 0 || nDay < nPendingFrom) {
                         missing.Add(nDay);
                     }
                 } else if (firstChange.changes.empty()) {
                     firstChange.changes =
                         Changes(*pStored, *pNew, kDailyColumnNames, year.stored.dayDecimals);
                     firstChange.nDay = nDay;
                 }
             });
    if (!firstChange.changes.empty()) {
        firstChange.strPlace = FormatIsoDate(firstChange.nDay);
        pFindings->push_back(firstChange);
    }
    if (dropped.nCount > 0) {
        pFindings->push_back({FormatIsoDate(dropped.nFirst),
                              dropped.nFirst,
                              kStoredDropped,
                              {{"", DayCount(dropped.nCount), ""}}});
    }
    if (missing.nCount > 0) {
        pFindings->push_back({FormatIsoDate(missing.nFirst),
                              missing.nFirst,
                              kNotStored,
                              {{"", "", DayCount(missing.nCount)}}});
    }
    std::stable_sort(pFindings->begin(), pFindings->end(),
                     [](const StaleFinding& a, const StaleFinding& b) { return a.nDay < b.nDay; });
}

void CompareYears(const PersonYear& year, std::vector<StaleFinding>* pFindings) {
    WalkKeys(year.stored.years, year.computed.years,
             [&](int32_t nYear, const ResultRow* pStored, const ResultRow* pNew) {
                 CString strPlace;
                 strPlace.Format("Vortrag %d", nYear);
                 if (pStored == nullptr || pNew == nullptr) {
                     pFindings->push_back(
                         {strPlace, 0, pNew == nullptr ? kStoredDropped : kNotStored, {{"", "", ""}}});
                     return;
                 }
                 std::vector<ColumnChange> changes =
                     Changes(*pStored, *pNew, kYearColumnNames, year.stored.yearDecimals);
                 if (!changes.empty()) {
                     pFindings->push_back({strPlace, 0, kValuesDiffer, std::move(changes)});
                 }
             });
}

}  // namespace

bool SameDailyRow(const ResultRow& stored, const ResultRow& computed, const ColumnDecimals& decimals) {
    return Changes(stored, computed, kDailyColumnNames, decimals).empty();
}

int32_t FirstPendingDay(const PersonYear& year, int32_t nToday) {
    if (year.stored.days.empty() || nToday < year.nPeriodStart || nToday > year.nPeriodEnd) {
        return 0;
    }
    const ResultRow& last = year.stored.days.back();
    return last.written == last.key ? DateAdd(last.key, 1, 0, 0) : 0;
}

std::vector<StaleFinding> FindStaleResults(const PersonYear& year, int32_t nPendingFrom) {
    std::vector<StaleFinding> findings;
    CompareDays(year, nPendingFrom, &findings);
    const bool bPending =
        nPendingFrom != 0 && !year.computed.days.empty() && year.computed.days.back().key >= nPendingFrom;
    if (!bPending) {
        CompareYears(year, &findings);
    }
    return findings;
}

ReportTable StaleTable() {
    ReportTable table;
    table.headings = {"PNR", "Jahr", "Tag/Zeile", "Abweichung", "Spalte", "gespeichert", "neu"};
    table.nTextColumns = 5;
    return table;
}

void AddStaleRows(const PersonYear& year, const std::vector<StaleFinding>& findings, ReportTable* pTable) {
    CString strYear;
    strYear.Format("%d", year.nCalcYear);
    for (const StaleFinding& finding : findings) {
        for (const ColumnChange& change : finding.changes) {
            pTable->rows.push_back({year.strPnr, strYear, finding.strPlace, finding.pszKind, change.strColumn,
                                    change.strStored, change.strNew});
        }
    }
}
