// Which waiting request the run takes next. In polling mode the first request in queue order that
// the run does not leave alone (app/RequestLedger.h) and that is the earliest queued request of its
// person; with PARM: the named request, waited for while another process holds it. A request whose
// person has an earlier request queued waits for it: the calculations of a person never overlap,
// and the one that commits last read the newest inputs. The claimed request stays locked in the
// connection's open transaction, and so do the requests passed over on the way to it, until that
// transaction ends.
#pragma once

#include "app/RequestLedger.h"
#include "db/CDbConnection.h"
#include "db/ParamRecord.h"

enum class ClaimResult {
    Claimed,  // *pRequest is the request to process
    Nothing,  // no request to take now
    Waiting,  // PARM: the named request waits for an earlier request of its person
    Failed,   // a read failed; the connection holds the diagnostics
};

ClaimResult ClaimRequest(CDbConnection& db, CRequestLedger& ledger, ParamRecord* pRequest);
