// What each product's failures mean for a request: the kind decides whether it may leave the queue.
#include <gtest/gtest.h>

#include "db/SqlFailure.h"

namespace {

struct FailureCase {
    SqlDialect dialect;
    const char* pszState;
    SQLINTEGER nNative;
    SqlFailure expected;
    const char* pszMessage = "";
    bool bClusterNode = false;
};

TEST(SqlFailureTest, EveryProductsCodesAreSortedByWhatTheyMeanForTheRequest) {
    const FailureCase cases[] = {
        // The request's own data: a value too long, out of range, a constraint.
        {SqlDialect::MySql, "22001", 1406, SqlFailure::RequestData},
        {SqlDialect::MySql, "23000", 1062, SqlFailure::RequestData},
        {SqlDialect::Oracle, "22003", 1438, SqlFailure::RequestData},
        {SqlDialect::MsSql, "23000", 547, SqlFailure::RequestData},
        // The installation's: table, column, privilege, syntax, also behind a general state.
        {SqlDialect::MySql, "42S02", 1146, SqlFailure::Installation},
        {SqlDialect::MySql, "42000", 1142, SqlFailure::Installation},
        {SqlDialect::MySql, "HY000", 1356, SqlFailure::Installation},
        {SqlDialect::Oracle, "HY000", 942, SqlFailure::Installation},
        {SqlDialect::Oracle, "HY000", 1031, SqlFailure::Installation},
        {SqlDialect::MsSql, "42S22", 207, SqlFailure::Installation},
        {SqlDialect::MsSql, "HY000", 229, SqlFailure::Installation},
        {SqlDialect::MsSql, "28000", 18456, SqlFailure::Installation},
        // Passing: full, out of memory, read-only, deadlock, timeout, and the unknown.
        {SqlDialect::MySql, "HY000", 1114, SqlFailure::Transient},
        {SqlDialect::MySql, "HY000", 1290, SqlFailure::Transient},
        {SqlDialect::MySql, "40001", 1213, SqlFailure::Transient},
        {SqlDialect::Oracle, "HY000", 1653, SqlFailure::Transient},
        {SqlDialect::Oracle, "HY000", 16000, SqlFailure::Transient},
        {SqlDialect::MsSql, "HY000", 9002, SqlFailure::Transient},
        {SqlDialect::MsSql, "HYT00", 0, SqlFailure::Transient},
        {SqlDialect::MySql, "45000", 1644, SqlFailure::Transient},
        {SqlDialect::MySql, "HY000", 0, SqlFailure::Transient},
        // A Galera cluster's conflict between nodes, and an ordinary deadlock. MariaDB 10.11 words the
        // conflict as the deadlock, at the commit and at a statement; a node that is not Synced
        // takes no statement until it is.
        {SqlDialect::MySql, "40001", 1213, SqlFailure::Conflict, "Deadlock: wsrep aborted transaction"},
        {SqlDialect::MySql, "40001", 1213, SqlFailure::Transient, "Deadlock found when trying to get lock"},
        {SqlDialect::MySql, "40001", 1213, SqlFailure::Conflict,
         "[ma-3.1.15]Deadlock found when trying to get lock; try restarting transaction", true},
        {SqlDialect::MySql, "40001", 1205, SqlFailure::Transient, "Lock wait timeout exceeded", true},
        {SqlDialect::MySql, "08S01", 1047, SqlFailure::ConnectionLost,
         "WSREP has not yet prepared node for application use", true},
        // Passing, and the connection gone.
        {SqlDialect::MySql, "HY000", 2013, SqlFailure::ConnectionLost},
        {SqlDialect::MsSql, "08S01", 10054, SqlFailure::ConnectionLost},
        {SqlDialect::Oracle, "HY000", 3113, SqlFailure::ConnectionLost},
    };
    for (const FailureCase& test : cases) {
        EXPECT_EQ(ClassifyFailure(test.dialect, test.pszState, test.nNative, test.pszMessage, test.bClusterNode),
                  test.expected)
            << test.pszState << " / " << test.nNative;
    }
}

}  // namespace
