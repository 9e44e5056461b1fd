// The head of an explanation: the accounting year, the contract rows with the values of their
// rules, the carry-over from the year before, its deadline and the carry-over into the following
// year, so that every number of the year's table can be traced back to them. Windows-1252.
#pragma once

#include "base/CString.h"
#include "report/PersonYear.h"
#include "report/YearTable.h"

CString FormatExplanationHead(const PersonYear& year, const ExplainedYear& explained);
