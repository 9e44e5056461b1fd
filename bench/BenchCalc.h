// The measured part of the benchmark: the calculation of persons 1 to N through the program's own
// per-request driver, one request and one transaction per person, as the request loop runs them.
#pragma once

#include "db/CDbConnection.h"

// Seconds of wall-clock time for all persons. The calculation reports its failures in the run
// log only; the caller checks the stored results.
double CalculatePersons(CDbConnection& db, int nPersons);
