// The chart of one accounting year: the rest and the free days earned, day by day, one point of
// each line per daily row, each deadline of the carry-over marked and every line named at its
// end, so that it reads without a legend. SVG, whose text is built in Windows-1252 like every
// text of the system; it says it is UTF-8, which the caller converts it to.
#pragma once

#include "base/CString.h"
#include "report/PersonYear.h"
#include "report/YearTable.h"

CString FormatSvgChart(const PersonYear& year, const ExplainedYear& explained);
// The same without the XML declaration, to stand in an HTML page.
CString FormatSvgElement(const PersonYear& year, const ExplainedYear& explained);

// The text with the five characters that XML reserves written as references, and the control
// characters that XML does not allow as '?'.
CString XmlEscaped(const CString& strText);
