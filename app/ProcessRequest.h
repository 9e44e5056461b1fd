// The unit of work of one claimed request: its calculation, its closing row and its removal,
// committed together or not at all. The request's row is locked by the claim until the
// transaction ends. A request leaves the queue only when it was calculated or when the request
// itself is faulty; every other failure leaves it queued as it was. In polling mode the person's
// later requests for the same calculation year join the calculation and are closed with it, in
// queue order, so that a backlog is worked off with one calculation per person and year.
#pragma once

#include <vector>

#include "app/RequestLedger.h"
#include "db/CDbConnection.h"
#include "db/ParamRecord.h"

enum class RequestOutcome {
    // Calculated, or refused for a fault of its own (its data, its personnel number, with the
    // calculation undone): closing row written, request removed and all of it committed.
    Closed,
    // Everything rolled back: the request is still queued as it was. The ledger knows when it will
    // be tried again, or that it is left alone for the rest of the run.
    StillQueued,
    // Everything rolled back after a conflict with another node's transaction (a Galera cluster):
    // the request is taken up again after a short pause, and the conflict counts as no attempt.
    Conflict,
    // Everything rolled back, the request still queued: the database does not fit the
    // configuration (a missing table, column or privilege, another product's language), so no
    // request can be calculated until it is mended. The run ends.
    WrongDatabase,
};

// What became of a claimed request, for the run's statistics.
struct RequestReport {
    std::vector<ParamRecord> closed;  // Closed: the claimed request and those that joined it, in queue order
    bool bFaulty = false;             // Closed: refused for a fault of its own, not calculated
    // StillQueued, Conflict and WrongDatabase: what kept it (RequestData: it cannot be removed).
    SqlFailure failure = SqlFailure::Transient;
};

// Works the request claimed in the connection's open transaction and ends that transaction. Every
// failure is reported in the run log with the request and the cause.
RequestOutcome ProcessRequest(CDbConnection& db, const ParamRecord& request, CRequestLedger& ledger,
                              RequestReport* pReport = nullptr);

// "Parametersatz <number>, lfd. Nr. <running number>, Personalnummer <pnr>": a request as the run
// log names it.
CString RequestName(const ParamRecord& request);

// The run-log line of a database that does not fit the configuration, with the statement, its
// tables and the database's message; pszWhat names what could not be done. Taken from the
// connection's last failure, so it is made before anything else is sent.
CString WrongDatabaseText(const CDbConnection& db, const CString& strWhat);
