// What a failed statement means for the work it belongs to, judged from the SQLSTATE and the native
// code of its diagnostic record. The server ends some failures itself (a deadlock victim's whole
// transaction, a lost session); others only the one statement.
#pragma once

#include <sql.h>

#include "base/CString.h"
#include "db/SqlDialect.h"

enum class SqlFailure {
    // The work may succeed when it is tried again: a deadlock or serialization failure, a lock
    // wait that timed out, a statement cancelled from outside.
    Transient,
    // As Transient, and the connection is gone: the server has rolled the transaction back, and
    // nothing works on the connection until it is made anew.
    ConnectionLost,
    // Anything else (a refused row, a missing table or column or privilege): trying again gives
    // the same failure.
    Permanent,
};

SqlFailure ClassifyFailure(SqlDialect dialect, const CString& strSqlState, SQLINTEGER nNativeCode);
