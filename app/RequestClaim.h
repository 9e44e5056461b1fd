// Which waiting request the run takes next. In polling mode the first request in queue order that
// the run does not leave alone (app/RequestLedger.h); with PARM: the named request, waited for
// while another process holds it. The claimed request stays locked in the connection's open
// transaction, and so do the requests passed over on the way to it, until that transaction ends.
#pragma once

#include "app/RequestLedger.h"
#include "db/CDbConnection.h"
#include "db/ParamRecord.h"

// The connection's codes: success, no data (nothing to take), or a failure with its diagnostics
// in the connection.
int32_t ClaimRequest(CDbConnection& db, CRequestLedger& ledger, ParamRecord* pRequest);
