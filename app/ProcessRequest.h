// The per-request driver: one calculation for one request, run as one transaction.
#pragma once

#include "db/CDbConnection.h"
#include "db/ParamRecord.h"

// Calculates the request and commits its results, or rolls them back when the calculation could
// not finish, so that a person's stored results are never left half rewritten. Failures are
// reported in the run log by the calculation itself.
void ProcessRequest(CDbConnection& db, const ParamRecord& request);
