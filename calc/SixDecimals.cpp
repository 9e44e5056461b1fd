#include "calc/SixDecimals.h"

#include <charconv>
#include <cmath>

#include "base/CString.h"

namespace {

// Below this the value in millionths is an integer a double holds exactly, and the product's
// rounding error stays under a sixteenth.
constexpr double kFastLimit = 1e9;
// How far from a half millionth the product must lie for its rounding to be that of the exact value.
constexpr double kMargin = 0.1;

double ByText(double dValue) {
    CString strValue;
    strValue.Format("%f", dValue);
    double dSent = dValue;
    std::from_chars(strValue.GetString(), strValue.GetString() + strValue.GetLength(), dSent);
    return dSent;
}

}  // namespace

// Formatting thousands of values a request costs more than the rest of the program: the value is
// rounded in millionths instead wherever that rounding is certain, and the quotient of two exact
// integers is the double nearest to the decimal, as a reading of the text gives it.
double SixDecimals(double dValue) {
    if (!(std::fabs(dValue) < kFastLimit)) {
        return ByText(dValue);
    }
    const double dMillionths = dValue * 1e6;
    const double dFraction = dMillionths - std::floor(dMillionths);
    if (std::fabs(dFraction - 0.5) <= kMargin) {
        return ByText(dValue);
    }
    return std::round(dMillionths) / 1e6;
}
