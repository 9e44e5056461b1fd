#include "report/YearTable.h"

#include <algorithm>
#include <array>

#include "calc/ShiftDay.h"
#include "report/ReportFormat.h"
#include "report/StaleCheck.h"

namespace {

constexpr std::array<const char*, 9> kHeadings = {
    "Anteile", "Anteile kum.", "Anspruch", "genommen", "geplant", "Vortrag", "genutzt", "verfallen", "Rest"};

// The carry-over as the engine lets it count: on the days before the deadline of the day's rule
// fully (the Vortrag column), from then on only what the days taken had used of it by the last
// day before a deadline (genutzt): the smaller of taken and usable, none when nothing was taken.
class CCarryOverWalk {
public:
    CCarryOverWalk(const PersonYear& year, ExplainedYear* pExplained)
        : m_year(year), m_explained(*pExplained) {}

    void Day(ExplainedDay* pDay) {
        if (!m_explained.bCarryCounts || pDay->nRange < 0) {
            return;
        }
        const ResultRow& row = *pDay->pRow;
        const ContractRecord& rule = *m_explained.ranges[static_cast<size_t>(pDay->nRange)].pContract;
        if (row.key < CarryOverDeadline(rule.kvtVmo, m_year.nCalcYear)) {
            pDay->dCarry = row.values[kSfzVtg];
            const double dTaken = row.values[kSfzGen];
            m_dUsable = pDay->dCarry;
            m_dUsed = dTaken != 0.0 ? std::min(dTaken, pDay->dCarry) : 0.0;
            m_bBefore = true;
            return;
        }
        pDay->dUsed = m_dUsed;
        if (m_bBefore) {
            pDay->dExpired = m_dUsable - m_dUsed;
            m_explained.deadlines.push_back({row.key, pDay->nRange, pDay->dExpired});
        }
        m_bBefore = false;
    }

private:
    const PersonYear& m_year;
    ExplainedYear& m_explained;
    double m_dUsable = 0.0;
    double m_dUsed = 0.0;
    bool m_bBefore = false;  // the day before counted the carry-over in full
};

// The cells of a month or a day: the shares and the expired days over the period, the other
// values as of its last day.
std::vector<CString> Cells(const ExplainedDay& last, double dShares, double dExpired, int nDecimals) {
    const ResultRow& row = *last.pRow;
    return {FormatNumber(dShares, nDecimals),
            FormatNumber(row.values[kSfzAnt], nDecimals),
            FormatNumber(row.values[kSfzAns], nDecimals),
            FormatNumber(row.values[kSfzGen], nDecimals),
            FormatNumber(row.values[kSfzVpl], nDecimals),
            FormatNumber(last.dCarry, nDecimals),
            FormatNumber(last.dUsed, nDecimals),
            FormatNumber(dExpired, nDecimals),
            FormatNumber(row.values[kSfzRst], nDecimals)};
}

CString StoredRest(const ExplainedDay& last, bool bDiffers, int nDecimals) {
    if (!bDiffers) {
        return CString();
    }
    return last.pStored != nullptr ? FormatNumber(last.pStored->values[kSfzRst], nDecimals)
                                   : CString("fehlt");
}

}  // namespace

ExplainedYear ExplainYear(const PersonYear& year, int32_t nToday) {
    ExplainedYear explained;
    explained.ranges = ContractRanges(year);
    explained.bCarryCounts = year.dCarryDays != 0.0 || year.dCarryShares != 0.0;
    if (year.nPeriodStart != 0 && year.nPeriodStart <= nToday && nToday <= year.nPeriodEnd) {
        explained.nProvisional = nToday;
    }
    CCarryOverWalk carry(year, &explained);
    double dPreviousShares = year.nYearStartShares;
    auto itStored = year.stored.days.begin();
    for (const ResultRow& row : year.computed.days) {
        ExplainedDay day;
        day.pRow = &row;
        day.nRange = RangeOfDay(explained.ranges, row.key);
        day.dShares = row.values[kSfzAnt] - dPreviousShares;
        dPreviousShares = row.values[kSfzAnt];
        carry.Day(&day);
        while (itStored != year.stored.days.end() && itStored->key < row.key) {
            ++itStored;
        }
        day.pStored = itStored != year.stored.days.end() && itStored->key == row.key ? &*itStored : nullptr;
        day.bStoredDiffers =
            day.pStored == nullptr || !SameDailyRow(*day.pStored, row, year.stored.dayDecimals);
        explained.days.push_back(day);
    }
    for (const StaleFinding& finding : FindStaleResults(year)) {
        if (finding.nDay == 0) {
            explained.bNextYearDiffers = true;
        } else if (explained.nFirstDifference == 0 || finding.nDay < explained.nFirstDifference) {
            explained.nFirstDifference = finding.nDay;
        }
    }
    return explained;
}

ReportTable BuildYearTable(const PersonYear& year, const ExplainedYear& explained,
                           const YearTableStyle& style) {
    ReportTable table;
    if (style.bWithPnr) {
        table.headings.emplace_back("PNR");
        table.nTextColumns = 2;
    }
    table.headings.emplace_back(style.bDays ? "Tag" : "Monat");
    table.headings.insert(table.headings.end(), kHeadings.begin(), kHeadings.end());
    const bool bStoredColumn = style.bFixedColumns || explained.nFirstDifference != 0;
    const bool bNoteColumn = style.bFixedColumns || explained.nProvisional != 0;
    if (bStoredColumn) {
        table.headings.emplace_back("Rest gespeichert");
    }
    if (bNoteColumn) {
        table.headings.emplace_back("Hinweis");
        table.nTrailingTextColumns = 1;
    }
    // A day yyyymmdd, or a month yyyymm.
    const auto periodOf = [&style](const ExplainedDay& day) {
        return style.bDays ? day.pRow->key : day.pRow->key / 100;
    };
    double dShares = 0.0;
    double dExpired = 0.0;
    bool bDiffers = false;
    for (size_t i = 0; i < explained.days.size(); ++i) {
        const ExplainedDay& day = explained.days[i];
        dShares += day.dShares;
        dExpired += day.dExpired;
        bDiffers = bDiffers || day.bStoredDiffers;
        const int32_t nPeriod = periodOf(day);
        if (i + 1 < explained.days.size() && periodOf(explained.days[i + 1]) == nPeriod) {
            continue;
        }
        std::vector<CString> row;
        if (style.bWithPnr) {
            row.push_back(year.strPnr);
        }
        row.push_back(style.bDays ? FormatIsoDate(nPeriod) : FormatIsoDate(nPeriod * 100 + 1).Left(7));
        const std::vector<CString> cells = Cells(day, dShares, dExpired, style.nDecimals);
        row.insert(row.end(), cells.begin(), cells.end());
        if (bStoredColumn) {
            row.push_back(StoredRest(day, bDiffers, style.nDecimals));
        }
        if (bNoteColumn) {
            const bool bLast = i + 1 == explained.days.size() && explained.nProvisional != 0;
            row.push_back(bLast ? "Stand " + FormatGermanDate(explained.nProvisional) + ", vorl\xE4ufig"
                                : CString());
        }
        table.rows.push_back(row);
        dShares = 0.0;
        dExpired = 0.0;
        bDiffers = false;
    }
    return table;
}

const char* RestRule() {
    return "Rest = Anspruch + Vortrag + genutzt - genommen - geplant; der Vortrag z\xE4hlt bis zur Frist, "
           "danach z\xE4hlt von ihm nur, was bis dahin genutzt war.";
}

CString StoredDifferenceLine(const PersonYear& year, const ExplainedYear& explained) {
    CString strLine;
    if (explained.nFirstDifference != 0) {
        strLine = "Gespeicherte Ergebnisse weichen ab ab " + FormatGermanDate(explained.nFirstDifference) +
                  "; eine Neuberechnung ergibt die Spalten oben";
    } else if (explained.bNextYearDiffers) {
        strLine.Format(
            "Gespeicherte Ergebnisse weichen ab beim Vortrag ins Folgejahr (ZTW332SFV %d); eine "
            "Neuberechnung ergibt die Angaben oben",
            year.nCalcYear + 1);
    }
    return strLine;
}
