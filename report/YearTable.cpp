#include "report/YearTable.h"

#include <algorithm>
#include <array>

#include "report/ReportFormat.h"

namespace {

constexpr std::array<const char*, 9> kHeadings = {
    "Anteile", "Anteile kum.", "Anspruch", "genommen", "geplant", "Vortrag", "genutzt", "verfallen", "Rest"};

// The cells of a month or a day: the shares and the expired days over the period, the other
// values as of its last day.
std::vector<CString> Cells(const ExplainedDay& last, double dShares, double dExpired) {
    const ResultRow& row = *last.pRow;
    return {FormatNumber(dShares),
            FormatNumber(row.values[kSfzAnt]),
            FormatNumber(row.values[kSfzAns]),
            FormatNumber(row.values[kSfzGen]),
            FormatNumber(row.values[kSfzVpl]),
            FormatNumber(row.values[kSfzVtg]),
            FormatNumber(last.dUsed),
            FormatNumber(dExpired),
            FormatNumber(row.values[kSfzRst])};
}

}  // namespace

int32_t CarryOverDeadlineOf(int32_t nVmo, int32_t nCalcYear) {
    const int32_t nMonth = std::min(nVmo, 12);
    return nMonth < 12 ? nCalcYear * 10000 + (nMonth + 1) * 100 + 1 : (nCalcYear + 1) * 10000 + 101;
}

ExplainedYear ExplainYear(const PersonYear& year) {
    ExplainedYear explained;
    const auto firstContract =
        std::find_if(year.contracts.begin(), year.contracts.end(),
                     [](const ContractRecord& contract) { return contract.validFrom != 0; });
    if (firstContract == year.contracts.end()) {
        return explained;
    }
    explained.nDeadline = CarryOverDeadlineOf(firstContract->kvtVmo, year.nCalcYear);
    double dPreviousShares = year.nYearStartShares;
    double dUsed = 0.0;
    double dUsable = 0.0;
    bool bDayBefore = false;  // a day before the deadline was seen
    bool bPastDeadline = false;
    for (const ResultRow& row : year.computed.days) {
        if (row.key < year.nPeriodStart || row.key > year.nPeriodEnd) {
            continue;
        }
        ExplainedDay day;
        day.pRow = &row;
        day.dShares = row.values[kSfzAnt] - dPreviousShares;
        dPreviousShares = row.values[kSfzAnt];
        if (row.key < explained.nDeadline) {
            dUsed = std::min(row.values[kSfzGen], row.values[kSfzVtg]);
            dUsable = row.values[kSfzVtg];
            bDayBefore = true;
        } else if (!bPastDeadline) {
            bPastDeadline = true;
            day.dExpired = bDayBefore ? dUsable - dUsed : 0.0;
            explained.dExpired = day.dExpired;
        }
        day.dUsed = dUsed;
        explained.days.push_back(day);
    }
    return explained;
}

ReportTable BuildYearTable(const PersonYear& year, const ExplainedYear& explained, bool bDays,
                           bool bWithPnr) {
    ReportTable table;
    if (bWithPnr) {
        table.headings.emplace_back("PNR");
        table.nTextColumns = 2;
    }
    table.headings.emplace_back(bDays ? "Tag" : "Monat");
    table.headings.insert(table.headings.end(), kHeadings.begin(), kHeadings.end());
    // A day yyyymmdd, or a month yyyymm.
    const auto periodOf = [bDays](const ExplainedDay& day) {
        return bDays ? day.pRow->key : day.pRow->key / 100;
    };
    double dShares = 0.0;
    double dExpired = 0.0;
    for (size_t i = 0; i < explained.days.size(); ++i) {
        const ExplainedDay& day = explained.days[i];
        dShares += day.dShares;
        dExpired += day.dExpired;
        const int32_t nPeriod = periodOf(day);
        if (i + 1 < explained.days.size() && periodOf(explained.days[i + 1]) == nPeriod) {
            continue;
        }
        std::vector<CString> row;
        if (bWithPnr) {
            row.push_back(year.strPnr);
        }
        row.push_back(bDays ? FormatIsoDate(nPeriod) : FormatIsoDate(nPeriod * 100 + 1).Left(7));
        const std::vector<CString> cells = Cells(day, dShares, dExpired);
        row.insert(row.end(), cells.begin(), cells.end());
        table.rows.push_back(row);
        dShares = 0.0;
        dExpired = 0.0;
    }
    return table;
}
