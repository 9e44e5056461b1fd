#include "report/SvgChart.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "calc/DateAdd.h"
#include "report/ReportFormat.h"

namespace {

const double kWidth = 960.0;
const double kHeight = 440.0;
const double kLeft = 70.0;
const double kRight = 170.0;  // room for the names at the ends of the lines
const double kTop = 70.0;
const double kBottom = 50.0;
const char* const kRestColour = "#1f5fa8";
const char* const kEarnedColour = "#2e8540";
const char* const kDeadlineColour = "#c0392b";
const char* const kMonths[] = {"Jan", "Feb", "M\xE4r", "Apr", "Mai", "Jun",
                               "Jul", "Aug", "Sep",    "Okt", "Nov", "Dez"};

int64_t DayNumber(int32_t nDate) {
    const std::chrono::year_month_day date{std::chrono::year{nDate / 10000},
                                           std::chrono::month{static_cast<unsigned>(nDate / 100 % 100)},
                                           std::chrono::day{static_cast<unsigned>(nDate % 100)}};
    return std::chrono::sys_days{date}.time_since_epoch().count();
}

// Maps days and values onto the plot area.
class CScale {
public:
    CScale(const PersonYear& year, double dLow, double dHigh)
        : m_nFirstDay(DayNumber(year.nPeriodStart)),
          m_nDays(DayNumber(year.nPeriodEnd) - m_nFirstDay + 1),
          m_dLow(dLow),
          m_dHigh(dHigh) {}

    double X(int32_t nDate) const {
        return kLeft + (static_cast<double>(DayNumber(nDate) - m_nFirstDay) + 0.5) *
                           (kWidth - kLeft - kRight) / static_cast<double>(m_nDays);
    }
    double DayStartX(int32_t nDate) const {
        return X(nDate) - 0.5 * (kWidth - kLeft - kRight) / static_cast<double>(m_nDays);
    }
    double Y(double dValue) const {
        return kTop + (m_dHigh - dValue) * (kHeight - kTop - kBottom) / (m_dHigh - m_dLow);
    }

private:
    int64_t m_nFirstDay;
    int64_t m_nDays;
    double m_dLow;
    double m_dHigh;
};

// A step of 1, 2 or 5 times a power of ten that divides the range into about five parts.
double GridStep(double dRange) {
    const double dRaw = dRange / 5.0;
    const double dPower = std::pow(10.0, std::floor(std::log10(dRaw)));
    for (const double dFactor : {1.0, 2.0, 5.0}) {
        if (dFactor * dPower >= dRaw) {
            return dFactor * dPower;
        }
    }
    return 10.0 * dPower;
}

CString Polyline(const char* pszId, const char* pszColour, const ExplainedYear& explained,
                 const CScale& scale, size_t nColumn) {
    CString strSvg;
    strSvg.Format(R"(<polyline id="%s" fill="none" stroke="%s" stroke-width="2" points=")", pszId, pszColour);
    for (size_t i = 0; i < explained.days.size(); ++i) {
        const ResultRow& row = *explained.days[i].pRow;
        CString strPoint;
        strPoint.Format("%s%.1f,%.1f", i == 0 ? "" : " ", scale.X(row.key), scale.Y(row.values[nColumn]));
        strSvg += strPoint;
    }
    return strSvg + "\"/>\n";
}

CString Text(double dX, double dY, const char* pszAttributes, const CString& strText) {
    CString strSvg;
    strSvg.Format("<text x=\"%.1f\" y=\"%.1f\" %s>%s</text>\n", dX, dY, pszAttributes,
                  XmlEscaped(strText).GetString());
    return strSvg;
}

CString Line(double dX1, double dY1, double dX2, double dY2, const char* pszAttributes) {
    CString strSvg;
    strSvg.Format("<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" %s/>\n", dX1, dY1, dX2, dY2,
                  pszAttributes);
    return strSvg;
}

CString HorizontalGrid(const CScale& scale, double dLow, double dHigh, double dStep) {
    CString strSvg;
    const int nLines = static_cast<int>(std::lround((dHigh - dLow) / dStep));
    for (int i = 0; i <= nLines; ++i) {
        const double dValue = dLow + i * dStep;
        const double dY = scale.Y(dValue);
        strSvg += Line(kLeft, dY, kWidth - kRight, dY,
                       std::fabs(dValue) < dStep / 2 ? "stroke=\"#555\"" : "stroke=\"#ddd\"");
        strSvg += Text(kLeft - 8, dY + 4, "text-anchor=\"end\"", FormatNumber(dValue));
    }
    return strSvg;
}

CString MonthGrid(const PersonYear& year, const CScale& scale) {
    CString strSvg;
    for (int32_t nMonth = year.nPeriodStart / 100 * 100 + 1; nMonth <= year.nPeriodEnd;
         nMonth = DateAdd(nMonth, 0, 1, 0)) {
        const double dX = std::max(scale.DayStartX(nMonth), kLeft);
        strSvg += Line(dX, kTop, dX, kHeight - kBottom, "stroke=\"#eee\"");
        CString strLabel = kMonths[nMonth / 100 % 100 - 1];
        if (nMonth / 100 % 100 == 1 || nMonth / 100 == year.nPeriodStart / 100) {
            strLabel.Format("%s %d", kMonths[nMonth / 100 % 100 - 1], nMonth / 10000);
        }
        strSvg += Text(dX + 2, kHeight - kBottom + 18, "", strLabel);
    }
    return strSvg;
}

// A dashed red line on each day from which the carry-over stops counting.
CString DeadlineMarks(const PersonYear& year, const ExplainedYear& explained, const CScale& scale) {
    CString strSvg;
    for (const CarryDeadline& deadline : explained.deadlines) {
        if (deadline.nDay <= year.nPeriodStart || deadline.nDay > year.nPeriodEnd) {
            continue;
        }
        const double dX = scale.DayStartX(deadline.nDay);
        CString strLabel;
        strLabel.Format("Frist des Vortrags %s: %s Tage verfallen",
                        FormatGermanDate(deadline.nDay).GetString(),
                        FormatNumber(deadline.dExpired, kReadDecimals).GetString());
        CString strStyle;
        strStyle.Format(R"(stroke="%s" stroke-width="1.5" stroke-dasharray="6 4")", kDeadlineColour);
        CString strTextStyle;
        strTextStyle.Format("fill=\"%s\"", kDeadlineColour);
        strSvg += Line(dX, kTop - 8, dX, kHeight - kBottom, strStyle) +
                  Text(dX + 4, kTop - 12, strTextStyle, strLabel);
    }
    return strSvg;
}

// The names at the ends of the lines, moved apart where the lines end close together.
CString LineNames(const ExplainedYear& explained, const CScale& scale) {
    const ResultRow& last = *explained.days.back().pRow;
    const double dX = scale.X(last.key) + 8;
    double dRestY = scale.Y(last.values[kSfzRst]) + 4;
    double dEarnedY = scale.Y(last.values[kSfzAns]) + 4;
    if (std::fabs(dRestY - dEarnedY) < 16) {
        const double dUpper = std::min(dRestY, dEarnedY);
        dRestY = dRestY > dEarnedY ? dUpper + 16 : dUpper;
        dEarnedY = dRestY > dUpper ? dUpper : dUpper + 16;
    }
    CString strRestStyle;
    strRestStyle.Format(R"(fill="%s" font-weight="bold")", kRestColour);
    CString strEarnedStyle;
    strEarnedStyle.Format(R"(fill="%s" font-weight="bold")", kEarnedColour);
    return Text(dX, dRestY, strRestStyle, "Rest " + FormatNumber(last.values[kSfzRst], kReadDecimals)) +
           Text(dX, dEarnedY, strEarnedStyle,
                "Anspruch " + FormatNumber(last.values[kSfzAns], kReadDecimals));
}

}  // namespace

CString XmlEscaped(const CString& strText) {
    CString strEscaped;
    for (int i = 0; i < strText.GetLength(); ++i) {
        const char ch = strText.GetAt(i);
        switch (ch) {
            case '&':
                strEscaped += "&amp;";
                break;
            case '<':
                strEscaped += "&lt;";
                break;
            case '>':
                strEscaped += "&gt;";
                break;
            case '"':
                strEscaped += "&quot;";
                break;
            case '\'':
                strEscaped += "&apos;";
                break;
            default:
                strEscaped += static_cast<unsigned char>(ch) < 0x20 ? '?' : ch;
        }
    }
    return strEscaped;
}

CString FormatSvgChart(const PersonYear& year, const ExplainedYear& explained) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + FormatSvgElement(year, explained);
}

CString FormatSvgElement(const PersonYear& year, const ExplainedYear& explained) {
    CString strTitle;
    if (year.nPeriodStart == 0) {
        strTitle.Format("Schichtfreizeit Personalnummer %s, Berechnungsjahr %d", year.strPnr.GetString(),
                        year.nCalcYear);
    } else {
        strTitle.Format("Schichtfreizeit Personalnummer %s, Abrechnungsjahr %s bis %s",
                        year.strPnr.GetString(), FormatGermanDate(year.nPeriodStart).GetString(),
                        FormatGermanDate(year.nPeriodEnd).GetString());
    }
    CString strSvg;
    strSvg.Format(
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" viewBox=\"0 0 %.0f %.0f\" "
        "font-family=\"sans-serif\" font-size=\"12\">\n"
        "<title>%s</title>\n<rect width=\"100%%\" height=\"100%%\" fill=\"white\"/>\n",
        kWidth, kHeight, kWidth, kHeight, XmlEscaped(strTitle).GetString());
    strSvg += Text(kLeft, 24, R"(font-size="16" font-weight="bold")", strTitle);
    strSvg += Text(kLeft, 44, "fill=\"#555\"",
                   "Freie Tage am Ende jedes Tages: Rest (SFZRST) und erworbener Anspruch (SFZANS)");
    if (explained.days.empty()) {
        return strSvg + Text(kLeft, kTop + 40, "", "Keine Tageszeilen im Abrechnungsjahr") + "</svg>\n";
    }
    double dLow = 0.0;
    double dHigh = 1.0;
    for (const ExplainedDay& day : explained.days) {
        for (const size_t nColumn : {size_t{kSfzRst}, size_t{kSfzAns}}) {
            dLow = std::min(dLow, day.pRow->values[nColumn]);
            dHigh = std::max(dHigh, day.pRow->values[nColumn]);
        }
    }
    const double dStep = GridStep(dHigh - dLow);
    dLow = std::floor(dLow / dStep) * dStep;
    dHigh = std::ceil(dHigh / dStep) * dStep;
    const CScale scale(year, dLow, dHigh);
    strSvg += HorizontalGrid(scale, dLow, dHigh, dStep) + MonthGrid(year, scale);
    const double dMiddle = (kTop + kHeight - kBottom) / 2;
    CString strRotated;
    strRotated.Format("transform=\"rotate(-90 18 %.1f)\" text-anchor=\"middle\"", dMiddle);
    strSvg += Text(18, dMiddle, strRotated, "Tage");
    strSvg += DeadlineMarks(year, explained, scale);
    strSvg += Polyline("anspruch", kEarnedColour, explained, scale, kSfzAns);
    strSvg += Polyline("rest", kRestColour, explained, scale, kSfzRst);
    return strSvg + LineNames(explained, scale) + "</svg>\n";
}
