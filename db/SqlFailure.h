// What a failed statement means for the request it belongs to, judged in this one place from the
// SQLSTATE and the product's own code of its diagnostic record. Callers ask for the kind, never for
// a code. The kind decides what becomes of the request: only a calculation, or a fault of the
// request itself, may take it out of the queue.
#pragma once

#include <sql.h>

#include "base/CString.h"
#include "db/SqlDialect.h"

enum class SqlFailure {
    // The request's own data does not fit (a value out of range or too long, a constraint): trying
    // again gives the same failure, and nothing but the request is wrong.
    RequestData,
    // The moment's: a deadlock or serialization failure, a lock wait that timed out, a cancelled
    // statement, a full table or disk, no memory, a read-only server, and anything not recognised.
    // The work may succeed when it is tried again later.
    Transient,
    // As Transient, and the connection is gone: the server has rolled the transaction back, and
    // nothing works on the connection until it is made anew.
    ConnectionLost,
    // A transaction of another node of a Galera cluster came first with the same rows, and this one
    // was rolled back for it: nothing is wrong, the work is simply done again at once.
    Conflict,
    // The installation's: a table, view, column, schema or privilege is missing, or the statement
    // is not the product's language. No request can succeed until the database or the
    // configuration is mended.
    Installation,
};

// bClusterNode: the session is on a node of a Galera cluster (MariaDB's wsrep_on).
SqlFailure ClassifyFailure(SqlDialect dialect, const CString& strSqlState, SQLINTEGER nNativeCode,
                           const CString& strMessage = CString(), bool bClusterNode = false);
