#include "db/SqlFailure.h"

#include <algorithm>
#include <initializer_list>

namespace {

bool OneOf(SQLINTEGER nCode, std::initializer_list<SQLINTEGER> codes) {
    return std::find(codes.begin(), codes.end(), nCode) != codes.end();
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

// Deadlock victims, serialization failures, lock waits that timed out and statements cancelled
// from outside, where a driver reports them with a general SQLSTATE.
bool IsTransientCode(SqlDialect dialect, SQLINTEGER nNative) {
    switch (dialect) {
        case SqlDialect::MySql:
            return OneOf(nNative, {1205, 1213, 1317, 1969, 3024});
        case SqlDialect::Oracle:
            return OneOf(nNative, {54, 60, 1013, 2049, 8177, 30006});
        case SqlDialect::MsSql:
            return OneOf(nNative, {1205, 1222, 3960});
        case SqlDialect::Unknown:
            break;
    }
    return false;
}

bool IsTransientState(const CString& strState) {
    return strState == "40001" || strState == "40P01" || strState == "HYT00" || strState == "HYT01" ||
           strState == "HY008" || strState == "70100";
}

}  // namespace

SqlFailure ClassifyFailure(SqlDialect dialect, const CString& strSqlState, SQLINTEGER nNativeCode) {
    if (strSqlState.Left(2) == "08" || IsLostSession(dialect, nNativeCode)) {
        return SqlFailure::ConnectionLost;
    }
    if (IsTransientState(strSqlState) || IsTransientCode(dialect, nNativeCode)) {
        return SqlFailure::Transient;
    }
    return SqlFailure::Permanent;
}
