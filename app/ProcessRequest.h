// The unit of work of one claimed request: its calculation, its closing row and its removal,
// committed together or not at all. The request's row is locked by the claim until the
// transaction ends.
#pragma once

#include "app/RequestLedger.h"
#include "db/CDbConnection.h"
#include "db/ParamRecord.h"

enum class RequestOutcome {
    // Calculated (or given up, or failed and undone), closing row written, request removed and
    // all of it committed.
    Closed,
    // Everything rolled back: the request is still queued as it was. The ledger knows whether it
    // will be tried again or left alone for the rest of the run.
    StillQueued,
};

// Works the request claimed in the connection's open transaction and ends that transaction. Every
// failure is reported in the run log with the request and the cause.
RequestOutcome ProcessRequest(CDbConnection& db, const ParamRecord& request, CRequestLedger& ledger);
