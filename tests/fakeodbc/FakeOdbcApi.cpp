// The ODBC functions the program calls, defined here so that the test binary links against
// g_fakeOdbc instead of a driver manager. Texts arrive either zero-terminated (SQL_NTS) or counted.
#include <string>

#include "tests/fakeodbc/CFakeOdbc.h"

namespace {

std::string Text(const SQLCHAR* pszText, SQLINTEGER nLength) {
    if (pszText == nullptr) {
        return std::string();
    }
    const char* psz = reinterpret_cast<const char*>(pszText);
    return nLength == SQL_NTS ? std::string(psz) : std::string(psz, static_cast<size_t>(nLength));
}

}  // namespace

SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT HandleType, SQLHANDLE InputHandle, SQLHANDLE* OutputHandle) {
    return g_fakeOdbc.AllocHandle(HandleType, InputHandle, OutputHandle);
}

SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT HandleType, SQLHANDLE Handle) {
    return g_fakeOdbc.FreeHandle(HandleType, Handle);
}

SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV EnvironmentHandle, SQLINTEGER, SQLPOINTER, SQLINTEGER) {
    return g_fakeOdbc.SetEnvAttr(EnvironmentHandle);
}

SQLRETURN SQL_API SQLConnect(SQLHDBC ConnectionHandle, SQLCHAR* ServerName, SQLSMALLINT NameLength1,
                             SQLCHAR* UserName, SQLSMALLINT NameLength2, SQLCHAR* Authentication,
                             SQLSMALLINT NameLength3) {
    return g_fakeOdbc.Connect(ConnectionHandle, Text(ServerName, NameLength1), Text(UserName, NameLength2),
                              Text(Authentication, NameLength3));
}

SQLRETURN SQL_API SQLDisconnect(SQLHDBC ConnectionHandle) {
    return g_fakeOdbc.Disconnect(ConnectionHandle);
}

SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC ConnectionHandle, SQLINTEGER Attribute, SQLPOINTER Value,
                                    SQLINTEGER) {
    return g_fakeOdbc.SetConnectAttr(ConnectionHandle, Attribute, Value);
}

SQLRETURN SQL_API SQLEndTran(SQLSMALLINT HandleType, SQLHANDLE Handle, SQLSMALLINT CompletionType) {
    return g_fakeOdbc.EndTran(HandleType, Handle, CompletionType);
}

SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT HandleType, SQLHANDLE Handle, SQLSMALLINT RecNumber,
                                SQLCHAR* Sqlstate, SQLINTEGER* NativeError, SQLCHAR* MessageText,
                                SQLSMALLINT BufferLength, SQLSMALLINT* TextLength) {
    return g_fakeOdbc.GetDiagRec(HandleType, Handle, RecNumber, Sqlstate, NativeError, MessageText,
                                 BufferLength, TextLength);
}

SQLRETURN SQL_API SQLSetStmtAttr(SQLHSTMT StatementHandle, SQLINTEGER Attribute, SQLPOINTER Value, SQLINTEGER) {
    return g_fakeOdbc.SetStmtAttr(StatementHandle, Attribute, Value);
}

SQLRETURN SQL_API SQLExecDirect(SQLHSTMT StatementHandle, SQLCHAR* StatementText, SQLINTEGER TextLength) {
    return g_fakeOdbc.ExecDirect(StatementHandle, Text(StatementText, TextLength));
}

SQLRETURN SQL_API SQLBindCol(SQLHSTMT StatementHandle, SQLUSMALLINT ColumnNumber, SQLSMALLINT TargetType,
                             SQLPOINTER TargetValue, SQLLEN BufferLength, SQLLEN* StrLen_or_Ind) {
    return g_fakeOdbc.BindCol(StatementHandle, ColumnNumber, TargetType, TargetValue, BufferLength,
                              StrLen_or_Ind);
}

SQLRETURN SQL_API SQLFetch(SQLHSTMT StatementHandle) {
    return g_fakeOdbc.Fetch(StatementHandle);
}

SQLRETURN SQL_API SQLRowCount(SQLHSTMT StatementHandle, SQLLEN* RowCount) {
    return g_fakeOdbc.RowCount(StatementHandle, RowCount);
}

SQLRETURN SQL_API SQLPrepare(SQLHSTMT StatementHandle, SQLCHAR* StatementText, SQLINTEGER TextLength) {
    return g_fakeOdbc.Prepare(StatementHandle, Text(StatementText, TextLength));
}

SQLRETURN SQL_API SQLBindParameter(SQLHSTMT StatementHandle, SQLUSMALLINT ParameterNumber, SQLSMALLINT,
                                   SQLSMALLINT ValueType, SQLSMALLINT ParameterType, SQLULEN, SQLSMALLINT,
                                   SQLPOINTER ParameterValuePtr, SQLLEN BufferLength, SQLLEN* StrLen_or_IndPtr) {
    return g_fakeOdbc.BindParameter(StatementHandle, ParameterNumber, ValueType, ParameterType,
                                    ParameterValuePtr, BufferLength, StrLen_or_IndPtr);
}

SQLRETURN SQL_API SQLExecute(SQLHSTMT StatementHandle) {
    return g_fakeOdbc.Execute(StatementHandle);
}

SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT StatementHandle, SQLUSMALLINT Option) {
    return g_fakeOdbc.FreeStmt(StatementHandle, Option);
}

SQLRETURN SQL_API SQLGetInfo(SQLHDBC ConnectionHandle, SQLUSMALLINT InfoType, SQLPOINTER InfoValue,
                             SQLSMALLINT BufferLength, SQLSMALLINT*) {
    return g_fakeOdbc.GetInfo(ConnectionHandle, InfoType, InfoValue, BufferLength);
}
