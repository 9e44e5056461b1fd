// The load of the tests with several kvt processes on one queue: 500 persons with a contract for
// January 2024, requests queued for them two at a time, and the checks that every request was
// closed exactly once and that every person's rows are those of a calculation of the final inputs.
// The functions borrow the caller's connection; a failed check fails the running test.
#pragma once

#include "tests/support/TestDatabase.h"

constexpr int kWorkerPersons = 500;

// Person Wnnn has a contract for January 2024 under rule R1 and nnn mod 50 carry-over days from 2023.
void LoadWorkerPersons(CTestDatabase& db);
// Two requests for each person (schema KVTTEST, user planer), numbered from nFirst on.
void QueueTwoEach(CTestDatabase& db, int nFirst);
// Every one of nRequests requests has exactly one closing row.
void ExpectClosedOnce(CTestDatabase& db, long nRequests);
// The stored daily and carry-over rows of every person are those of the carry-over it has now.
void ExpectRowsOfFinalInputs(CTestDatabase& db);
