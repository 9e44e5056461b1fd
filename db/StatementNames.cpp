// The names under which a failed statement is reported to the operator: the operation of the
// program and the tables the statement touches, so that a missing table or privilege can be found
// without reading the program.
#include "db/CDbConnection.h"
#include "db/SqlText.h"

const char* CDbConnection::OperationName(StatementId id) {
    switch (id) {
        case StatementId::ReadNext:
            return "ReadNextRequest";
        case StatementId::ReadByNumber:
            return "ReadRequestByNumber";
        case StatementId::DeleteRequest:
            return "DeleteRequest";
        case StatementId::EarlierOfPerson:
            return "ReadEarlierRequest";
        case StatementId::LaterOfPerson:
            return "ReadLaterRequests";
        case StatementId::ClaimByKey:
            return "ClaimRequestByKey";
        case StatementId::CountWaiting:
            return "CountWaitingRequests";
        case StatementId::InsertError:
            return "InsertErrorRow";
        case StatementId::InsertErrorWithoutNum:
            return "InsertErrorRowWithoutNum";
        case StatementId::Contracts:
            return "OpenKvtBsvData";
        case StatementId::CarryOver:
            return "ReadKvtSfvData";
        case StatementId::Days:
            return "OpenKvtBewData";
        case StatementId::DeleteDays:
            return "DeleteKvtSfzData";
        case StatementId::CountDays:
            return "CountKvtSfzData";
        case StatementId::InsertDay:
            return "InsertKvtSfzData";
        case StatementId::DeleteYear:
            return "DeleteKvtSfvData";
        case StatementId::InsertYear:
            return "InsertKvtSfvData";
        case StatementId::ReportPersons:
            return "ReadKvtPersons";
        case StatementId::ReportDays:
        case StatementId::ReportYears:
            return "ReadKvtResults";
        case StatementId::ReportRequest:
            return "InsertKvtRequest";
        case StatementId::ReportPersonListed:
            return "ReadKvtPersonListed";
        case StatementId::ReportShifts:
            return "ReadKvtShifts";
        case StatementId::ReportBookings:
            return "ReadKvtBookings";
        case StatementId::Count:
            break;
    }
    return "";
}

// "%s" stands for the schema of the calculation tables.
const char* CDbConnection::TablesOf(StatementId id) {
    switch (id) {
        case StatementId::ReadNext:
        case StatementId::ReadByNumber:
        case StatementId::DeleteRequest:
        case StatementId::EarlierOfPerson:
        case StatementId::LaterOfPerson:
        case StatementId::ClaimByKey:
        case StatementId::CountWaiting:
        case StatementId::ReportRequest:
            return "ZTWBASIS.ZTW002PRM";
        case StatementId::InsertError:
        case StatementId::InsertErrorWithoutNum:
            return "ZTWBASIS.ZTW002ERR";
        case StatementId::Contracts:
            return "%s.ZTW310BSV, %s.ZTW155KVT";
        case StatementId::Days:
            return "ZTWBASIS.ZTW133BAK, %s.ZTW300PNR, %s.ZTW329ZTG, %s.ZTW155SF1, %s.ZTW320TGB, %s.ZTW327TAG, "
                   "%s.ZTW131FCD, %s.ZTW321BCH";
        case StatementId::DeleteDays:
        case StatementId::CountDays:
        case StatementId::InsertDay:
        case StatementId::ReportDays:
            return "%s.ZTW332SFZ";
        case StatementId::CarryOver:
        case StatementId::DeleteYear:
        case StatementId::InsertYear:
        case StatementId::ReportYears:
            return "%s.ZTW332SFV";
        case StatementId::ReportPersons:
        case StatementId::ReportPersonListed:
            return "%s.ZTW300PNR";
        case StatementId::ReportShifts:
            return "%s.ZTW329ZTG, %s.ZTW155SF1, %s.ZTW320TGB";
        case StatementId::ReportBookings:
            return "%s.ZTW321BCH, %s.ZTW131FCD, %s.ZTW327TAG";
        case StatementId::Count:
            break;
    }
    return "";
}

CString CDbConnection::LastStatement() const {
    if (m_lastStatement == StatementId::Count) {
        return m_pszLastStatement;
    }
    return CString(OperationName(m_lastStatement)) + " (Tabellen " + WithSchema(TablesOf(m_lastStatement), m_strSchema) +
           ")";
}
