// CPreviewCalc: kvt's calculation of one request with the results kept instead of stored. It
// starts from the person's stored rows and applies the calculation's deletes and inserts to them
// in the order the calculation makes them, so that afterwards it holds what the request would
// leave in the result tables. The values are those the request sends. Borrows the connection and
// the log like the calculation; owns its copy of the rows.
#pragma once

#include <map>

#include "calc/CShiftCalc.h"
#include "report/ResultRows.h"

class CPreviewCalc : public CShiftCalc {
public:
    CPreviewCalc(CDbConnection& db, const ParamRecord& request, CLogFile& log, const StoredResults& stored);

    // The rows between the given days and years, each list in ascending order of its key.
    StoredResults Results(int32_t nFirstDay, int32_t nLastDay, int32_t nFirstYear, int32_t nLastYear) const;

protected:
    int32_t DeleteDays(int32_t nFrom, int32_t nTo) override;
    int32_t AnyDays(int32_t nFrom, int32_t nTo, bool* pbAny) override;
    int32_t InsertDays(const DailyRows& rows) override;
    int32_t DeleteCarryOverRow(int32_t nYear) override;
    int32_t InsertCarryOverRow(int32_t nYear, double dRest, double dSharesLeft) override;

private:
    std::map<int32_t, ResultRow> m_days;
    std::map<int32_t, ResultRow> m_years;
};
