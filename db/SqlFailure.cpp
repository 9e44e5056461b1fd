#include "db/SqlFailure.h"

#include <algorithm>
#include <initializer_list>

namespace {

bool OneOf(SQLINTEGER nCode, std::initializer_list<SQLINTEGER> codes) {
    return std::find(codes.begin(), codes.end(), nCode) != codes.end();
}

bool StateIn(const CString& strState, std::initializer_list<const char*> states) {
    return std::any_of(states.begin(), states.end(), [&](const char* psz) { return strState == psz; });
}

bool ClassIn(const CString& strState, std::initializer_list<const char*> classes) {
    const CString strClass = strState.Left(2);
    return std::any_of(classes.begin(), classes.end(), [&](const char* psz) { return strClass == psz; });
}

// The products' own codes for a session that has ended: the server or the network went away, the
// session was killed, or (MariaDB) a statement prepared before an automatic reconnect is unknown.
bool IsLostSession(SqlDialect dialect, SQLINTEGER nNative) {
    switch (dialect) {
        case SqlDialect::MySql:
            return OneOf(nNative, {1053, 1243, 1927, 2002, 2003, 2006, 2013, 2055, 4031});
        case SqlDialect::Oracle:
            return OneOf(nNative, {28, 1012, 1033, 1034, 1089, 1092, 2396, 3113, 3114, 3135, 12170, 12571});
        case SqlDialect::MsSql:
            return OneOf(nNative, {233, 10053, 10054});
        case SqlDialect::Unknown:
            break;
    }
    return false;
}

// Deadlock victims, serialization failures, lock waits that timed out, statements cancelled from
// outside or cut off by a time limit; a table, tablespace, log or disk that is full, memory that
// ran out, a server that accepts no writes. Drivers report many of them with a general SQLSTATE.
bool IsPassingCode(SqlDialect dialect, SQLINTEGER nNative) {
    switch (dialect) {
        case SqlDialect::MySql:
            return OneOf(nNative, {1205, 1213, 1317, 1969, 3024, 1021, 1037, 1041, 1114, 1290});
        case SqlDialect::Oracle:
            return OneOf(nNative, {54, 60, 1013, 2049, 8177, 30006, 1536, 1653, 1654, 1688, 16000});
        case SqlDialect::MsSql:
            return OneOf(nNative, {1205, 1222, 3960, 1105, 9002, 3906});
        case SqlDialect::Unknown:
            break;
    }
    return false;
}

bool IsPassingState(const CString& strState) {
    return StateIn(strState, {"40001", "40P01", "HYT00", "HYT01", "HY008", "70100", "HY001", "HY013", "25006"}) ||
           ClassIn(strState, {"53"});
}

// A missing table, view or column, a missing privilege, a statement in another product's language,
// a view or its definer that no longer fits the tables.
bool IsInstallationCode(SqlDialect dialect, SQLINTEGER nNative) {
    switch (dialect) {
        case SqlDialect::MySql:
            return OneOf(nNative, {1044, 1054, 1064, 1142, 1143, 1146, 1356, 1449});
        case SqlDialect::Oracle:
            return OneOf(nNative, {900, 904, 942, 1031, 4063});
        case SqlDialect::MsSql:
            return OneOf(nNative, {102, 207, 208, 229, 230, 4413});
        case SqlDialect::Unknown:
            break;
    }
    return false;
}

// Syntax or access rule violations, an invalid catalog or schema name, invalid authorization.
bool IsInstallationState(const CString& strState) {
    return ClassIn(strState, {"42", "3D", "3F", "28"});
}

// A value out of range, too long or of the wrong form; a constraint.
bool IsRequestDataState(const CString& strState) {
    return ClassIn(strState, {"22", "23"});
}

// Galera reports the transactions it aborts for another node's as deadlock victims. MariaDB 10.11
// says so in the words of an ordinary deadlock, at the commit and at the next statement alike, so
// on a cluster node every deadlock counts as such a conflict (doing the work again at once is
// right for both); other versions and builds put "wsrep" into the message.
bool IsClusterConflict(SqlDialect dialect, SQLINTEGER nNative, const CString& strMessage, bool bClusterNode) {
    CString strUpper(strMessage);
    strUpper.MakeUpper();
    return dialect == SqlDialect::MySql && nNative == 1213 && (bClusterNode || strUpper.Find("WSREP") >= 0);
}

}  // namespace

SqlFailure ClassifyFailure(SqlDialect dialect, const CString& strSqlState, SQLINTEGER nNativeCode,
                           const CString& strMessage, bool bClusterNode) {
    if (strSqlState.Left(2) == "08" || IsLostSession(dialect, nNativeCode)) {
        return SqlFailure::ConnectionLost;
    }
    if (IsClusterConflict(dialect, nNativeCode, strMessage, bClusterNode)) {
        return SqlFailure::Conflict;
    }
    if (IsPassingCode(dialect, nNativeCode) || IsPassingState(strSqlState)) {
        return SqlFailure::Transient;
    }
    if (IsInstallationCode(dialect, nNativeCode) || IsInstallationState(strSqlState)) {
        return SqlFailure::Installation;
    }
    if (IsRequestDataState(strSqlState)) {
        return SqlFailure::RequestData;
    }
    return SqlFailure::Transient;
}
