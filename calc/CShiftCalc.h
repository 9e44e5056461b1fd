// CShiftCalc: the shift free-time calculation of one request. It borrows the connection and the
// run log for the life of the request (both must outlive it) and owns the contract rows of the
// accounting year. One object per request: construct, run getKvtBewData once, destroy. Failures
// are reported in the run log only.
#pragma once

#include <cstdint>

#include "calc/CContractArray.h"
#include "calc/ShiftDay.h"
#include "db/CDbConnection.h"
#include "db/ParamRecord.h"
#include "log/CLogFile.h"

class CShiftCalc {
public:
    CShiftCalc(CDbConnection& db, const ParamRecord& request, CLogFile& log);
    virtual ~CShiftCalc() = default;
    CShiftCalc(const CShiftCalc&) = delete;
    CShiftCalc& operator=(const CShiftCalc&) = delete;

    // Computes and stores the daily rows and the carry-over of the following year. False when the
    // per-day data could not be read; the work of the request is then incomplete.
    bool getKvtBewData();

    // Reads the contract rows of the accounting year and settles that year (calc/LoadContracts.cpp).
    bool LoadContracts();
    bool ReadCarryOver();
    bool DeleteDailyRows(int32_t nFrom, int32_t nTo);
    void ReportError(const CString& strWhat, const CString& strDetail);

    int32_t GetCalcYear() const { return m_nCalcYear; }
    CContractArray& GetContracts() { return m_contracts; }

private:
    bool ProcessContracts(ShiftRunState* pState);
    bool ProcessContract(const ContractRecord& contract, int32_t nStart, ShiftRunState* pState);
    void StoreDay(DayRecord* pDay, const ShiftDayResult& result);
    void WriteCarryOverRow(const ShiftRunState& state);
    void Log(const CString& strText) { m_log.Write(strText, true); }

    CDbConnection& m_db;
    CLogFile& m_log;
    CContractArray m_contracts;
    CString m_strUser;
    CString m_strPnr;
    int32_t m_nRequestDate;
    int32_t m_nCalcYear;
    CarryOver m_carry;
};
