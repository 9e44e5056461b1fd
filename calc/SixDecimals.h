// The values of the result tables, which keep six decimals, as they go out to the server: the
// double nearest to the value written with six decimals ("%f"), so that every product stores the
// same number it would read from that text, whatever its own rounding of the rest and whatever
// decimal separator its session would expect in a text.
#pragma once

double SixDecimals(double dValue);
