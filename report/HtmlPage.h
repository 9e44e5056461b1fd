// The page of one person's accounting year for the clerk, to hand to the employee or to print: the
// head, the monthly table, the chart and the shifts and bookings behind the figures, in one HTML
// document without any outside resource (styles and chart inline) that prints on A4 without
// losing a column. Built in Windows-1252 like every text of the system; it says it is UTF-8, which
// the caller converts it to.
#pragma once

#include <vector>

#include "base/CString.h"
#include "report/ExplanationHead.h"
#include "report/PersonYear.h"
#include "report/ReportTable.h"
#include "report/YearTable.h"

struct HtmlContent {
    const std::vector<HeadEntry>* pHead = nullptr;
    const ReportTable* pMonths = nullptr;
    const ReportTable* pPostings = nullptr;
    CString strSvg;         // the chart as an svg element
    CString strDifference;  // the line on stored results that differ; empty when they do not
    int32_t nToday = 0;
};

CString FormatHtmlPage(const PersonYear& year, const HtmlContent& content);
