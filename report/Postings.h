// The postings behind a person's year: the shifts that earned shares under the rule of their
// contract row and the bookings, read with the conditions of kvt's per-day statement, each with
// how it counts in the year's table or why it does not (a code that is not shift free time, a day
// outside the planning window, a day without a contract). The counted postings add up to the
// table: the shares of a day's shifts to its Anteile, the days of the bookings taken up to a day
// to its genommen, and the days of the bookings still planned to the geplant of the last day
// calculated. Plain values, owned by whoever holds them.
#pragma once

#include <cstdint>
#include <vector>

#include "base/CString.h"
#include "db/CDbConnection.h"
#include "report/PersonYear.h"
#include "report/ReportTable.h"
#include "report/YearTable.h"

enum class PostingCount { Shares, Taken, Planned, NotCounted };

struct Posting {
    int32_t nDay = 0;
    bool bShift = false;
    CString strCode;       // the working-time model of a shift, the absence code of a booking
    CString strDetail;     // the rule and contract row of a shift; whole or half day of a booking
    double dShares = 0.0;  // a shift's shares
    double dDays = 0.0;    // a booking's days: 1 for a whole day, 0.5 for each half
    PostingCount count = PostingCount::NotCounted;
    CString strNote;  // why it does not count; for a booking taken, when it was not planned before
};

// The postings of the year in day order, shifts before bookings. 0, or the code of the read that
// failed with its diagnostics in the connection.
int32_t ReadPostings(CDbConnection& db, const PersonYear& year, const ExplainedYear& explained,
                     std::vector<Posting>* pPostings);

// A line a posting, a sum line after each month (or day) that has postings and days calculated,
// and one of the days still planned.
ReportTable BuildPostingsTable(const PersonYear& year, const ExplainedYear& explained,
                               const std::vector<Posting>& postings, const YearTableStyle& style);
