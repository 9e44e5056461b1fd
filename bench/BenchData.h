// The data set of the benchmark: persons 1 to N, each with a full accounting year of contracts,
// shifts, day balances, day records, free-day bookings and a carry-over, and the free days of the
// two years before, in one tenant schema of a test server. Person n has the personnel number "B"
// followed by n in seven digits.
#pragma once

#include <cstdint>

#include "base/CString.h"
#include "bench/CBenchDatabase.h"

// A completed year, so that the calculation writes every one of its days.
const int32_t kBenchYear = 2025;

CString BenchPnr(int nPerson);

// Empties the calculation tables of the schema and loads persons 1 to nPersons with set-based
// statements. *pnRows receives the rows inserted. False after the first failing statement; the
// schema is then partly loaded.
bool LoadBenchData(CBenchDatabase& db, const CString& strSchema, int nPersons, long* pnRows);
