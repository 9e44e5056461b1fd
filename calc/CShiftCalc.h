// CShiftCalc: the shift free-time calculation of one request. It borrows the connection and the
// run log for the life of the request (both must outlive it) and owns the contract rows of the
// accounting year. One object per request: construct, run getKvtBewData once, destroy. It writes
// within the caller's transaction and never commits; a calculation that stops at a failed
// statement leaves its writes for the caller to roll back. Failures are reported in the run log,
// and the diagnostics of the failed statement stay in the connection. The four writes of the
// results are virtual, so that a preview can keep the results instead of storing them.
#pragma once

#include <cstdint>

#include "calc/CContractArray.h"
#include "calc/DailyRows.h"
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

    // Computes and stores the daily rows and the carry-over of the following year. False as soon
    // as a statement fails (a read finding nothing is no failure); the work of the request is then
    // incomplete.
    bool getKvtBewData();

    // Reads the contract rows of the accounting year and settles that year (calc/LoadContracts.cpp),
    // once: getKvtBewData uses the rows that were read before it.
    bool LoadContracts();
    // After LoadContracts: the calculation year that a request with this date would settle, so
    // that requests of the person for the same year can be closed by one calculation.
    int32_t CalcYearFor(int32_t nRequestDate) const;
    // The user text of the rows, when the calculation stands for several requests: the newest one's.
    void SetUserText(const CString& strUser) { m_strUser = strUser; }
    // Reads the carry-over row of the calculation year; *pbExists tells whether there is one.
    bool ReadCarryOver(bool* pbExists);
    bool DeleteDailyRows(int32_t nFrom, int32_t nTo);
    void ReportError(const CString& strWhat, const CString& strDetail);

    int32_t GetCalcYear() const { return m_nCalcYear; }
    // The accounting year of the run; 0 when the person has no contract row at all.
    int32_t GetPeriodStart() const { return m_nPeriodStart; }
    int32_t GetPeriodEnd() const { return m_nPeriodEnd; }
    CContractArray& GetContracts() { return m_contracts; }
    // The carry-over row of the calculation year as it was read; zeros when there is none.
    const CarryOver& GetCarryOver() const { return m_carry; }
    bool HasCarryOver() const { return m_bCarryOverExists; }

protected:
    // The results go to the result tables of the connection. Each returns the connection's result
    // code: 0, the code of "no data", or that of the failure.
    virtual int32_t DeleteDays(int32_t nFrom, int32_t nTo);
    // Whether any daily row is stored between the two days (0 and *pbAny), read without locking.
    virtual int32_t AnyDays(int32_t nFrom, int32_t nTo, bool* pbAny);
    virtual int32_t InsertDays(const DailyRows& rows);
    virtual int32_t DeleteCarryOverRow(int32_t nYear);
    virtual int32_t InsertCarryOverRow(int32_t nYear, double dRest, double dSharesLeft);

private:
    static int32_t RequestYear(int32_t nRequestDate);
    bool ProcessContracts(ShiftRunState* pState);
    bool ProcessContract(const ContractRecord& contract, int32_t nStart, ShiftRunState* pState);
    bool DeleteUncoveredDays();
    bool DeleteDaysOrReport(int32_t nFrom, int32_t nTo);
    bool StoreDays(const DailyRows& rows);
    bool WriteCarryOverRow(const ShiftRunState& state);
    void Log(const CString& strText, LogLevel level = LogLevel::Info) { m_log.Write(strText, true, level); }
    void LogFailure(const CString& strText);
    void LogDatabaseError(const char* pszFunction);

    CDbConnection& m_db;
    CLogFile& m_log;
    CContractArray m_contracts;
    CString m_strUser;
    CString m_strPnr;
    int32_t m_nRequestDate;
    int32_t m_nCalcYear;
    CarryOver m_carry;
    bool m_bCarryOverExists = false;
    bool m_bContractsLoaded = false;
    int32_t m_nFirstJmo = -1;  // KVTJMO of the first contract row; -1 when there is none
    // The accounting year as LoadContracts settled it (0 without any contract row), and the last day
    // that a contract range of the calculation reached (0 while none has been processed).
    int32_t m_nPeriodStart = 0;
    int32_t m_nPeriodEnd = 0;
    int32_t m_nCoveredTo = 0;
};
