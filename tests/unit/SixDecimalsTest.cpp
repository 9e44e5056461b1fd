// The values sent for the six-decimal columns must be, to the last bit, the doubles that reading
// their "%f" texts gives, also where the rounding in millionths is a near thing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>

#include "calc/SixDecimals.h"

namespace {

double ReadBack(double dValue) {
    char szText[512];
    std::snprintf(szText, sizeof(szText), "%f", dValue);
    return std::strtod(szText, nullptr);
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof(a)) == 0 || (std::isnan(a) && std::isnan(b));
}

TEST(SixDecimalsTest, EqualsTheReadingOfTheSixDecimalTextToTheLastBit) {
    std::mt19937_64 random(4711);
    std::uniform_int_distribution<int> exponent(-12, 12);
    for (int i = 0; i < 300000; ++i) {
        const double dMantissa = std::uniform_real_distribution<double>(-1.0, 1.0)(random);
        const double dValue = i % 3 == 0 ? std::ldexp(dMantissa, exponent(random) * 3)
                                         : static_cast<double>(static_cast<int64_t>(random() % 2000000001) - 1000000000) /
                                               std::pow(10.0, static_cast<double>(random() % 8));
        ASSERT_TRUE(SameBits(SixDecimals(dValue), ReadBack(dValue))) << dValue;
    }
    for (const double dValue : {0.0000005, -0.0000005, 2.5e-6, 1234.5675005, 0.0000015, 999999999.9999995, -0.0,
                                1e9, -1e12, 1e300, std::numeric_limits<double>::infinity(),
                                std::numeric_limits<double>::quiet_NaN(), 1.0 / 3.0, 2.0 / 3.0}) {
        EXPECT_TRUE(SameBits(SixDecimals(dValue), ReadBack(dValue))) << dValue;
    }
}

}  // namespace
