// The requests of the benchmark for kvt's own request loop: one per person of the data set, in
// the central queue ZTWBASIS.ZTW002PRM, for the benchmark's schema and the user BENCH. Request n
// has the number of person n ("B" and seven digits), so the queue is worked off in person order.
#pragma once

#include "base/CString.h"
#include "bench/CBenchDatabase.h"

const char* const kBenchUser = "BENCH";

// Replaces the schema's requests with persons 1 to nPersons, each dated at the end of the
// benchmark year so that it calculates that whole year, and deletes the closing rows that kvt
// wrote for earlier ones. False after the first failing statement.
bool QueueBenchRequests(CBenchDatabase& db, const CString& strSchema, int nPersons);
