#include "report/CPreviewCalc.h"

#include "calc/SixDecimals.h"

namespace {

// What a request writes into the status columns SFZSTA and SFVSTA.
constexpr double kWrittenStatus = 1.0;
// A kept write cannot fail: each returns the code of success, 0 on every product.
constexpr int32_t kKept = 0;

std::map<int32_t, ResultRow> ByKey(const std::vector<ResultRow>& rows) {
    std::map<int32_t, ResultRow> byKey;
    for (const ResultRow& row : rows) {
        byKey[row.key] = row;
    }
    return byKey;
}

std::vector<ResultRow> Between(const std::map<int32_t, ResultRow>& byKey, int32_t nFirst, int32_t nLast) {
    std::vector<ResultRow> rows;
    for (auto it = byKey.lower_bound(nFirst); it != byKey.end() && it->first <= nLast; ++it) {
        rows.push_back(it->second);
    }
    return rows;
}

}  // namespace

CPreviewCalc::CPreviewCalc(CDbConnection& db, const ParamRecord& request, CLogFile& log,
                           const StoredResults& stored)
    : CShiftCalc(db, request, log), m_days(ByKey(stored.days)), m_years(ByKey(stored.years)) {}

StoredResults CPreviewCalc::Results(int32_t nFirstDay, int32_t nLastDay, int32_t nFirstYear,
                                    int32_t nLastYear) const {
    StoredResults results;
    results.days = Between(m_days, nFirstDay, nLastDay);
    results.years = Between(m_years, nFirstYear, nLastYear);
    return results;
}

int32_t CPreviewCalc::DeleteDays(int32_t nFrom, int32_t nTo) {
    m_days.erase(m_days.lower_bound(nFrom), m_days.upper_bound(nTo));
    return kKept;
}

int32_t CPreviewCalc::AnyDays(int32_t nFrom, int32_t nTo, bool* pbAny) {
    const auto it = m_days.lower_bound(nFrom);
    *pbAny = it != m_days.end() && it->first <= nTo;
    return kKept;
}

int32_t CPreviewCalc::InsertDays(const DailyRows& rows) {
    for (size_t i = 0; i < rows.Count(); ++i) {
        ResultRow& row = m_days[rows.days[i]];
        row = ResultRow();
        row.key = rows.days[i];
        row.values = {SixDecimals(rows.shares[i]),      SixDecimals(rows.carryDays[i]),
                      SixDecimals(rows.carryShares[i]), SixDecimals(rows.entitlement[i]),
                      SixDecimals(rows.taken[i]),       SixDecimals(rows.planned[i]),
                      SixDecimals(rows.rest[i]),        static_cast<double>(rows.carryDaysUsed[i]),
                      kWrittenStatus};
    }
    return kKept;
}

int32_t CPreviewCalc::DeleteCarryOverRow(int32_t nYear) {
    m_years.erase(nYear);
    return kKept;
}

int32_t CPreviewCalc::InsertCarryOverRow(int32_t nYear, double dRest, double dSharesLeft) {
    ResultRow& row = m_years[nYear];
    row = ResultRow();
    row.key = nYear;
    row.values[kSfvVtg] = SixDecimals(dRest);
    row.values[kSfvVan] = SixDecimals(dSharesLeft);
    row.values[kSfvSta] = kWrittenStatus;
    return kKept;
}
