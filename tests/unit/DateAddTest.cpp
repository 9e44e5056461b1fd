#include <gtest/gtest.h>

#include "calc/DateAdd.h"

namespace {

TEST(DateAdd, CarriesDaysAndMonthsAcrossMonthAndYearEnds) {
    EXPECT_EQ(DateAdd(20231231, 1, 0, 0), 20240101);
    EXPECT_EQ(DateAdd(20240101, -1, 0, 0), 20231231);
    EXPECT_EQ(DateAdd(20240228, 1, 0, 0), 20240229);
    EXPECT_EQ(DateAdd(20230228, 1, 0, 0), 20230301);
    EXPECT_EQ(DateAdd(20240131, 1, 0, 0), 20240201);
    EXPECT_EQ(DateAdd(20241115, 0, 2, 0), 20250115);
    EXPECT_EQ(DateAdd(20240115, 0, -1, 0), 20231215);
    EXPECT_EQ(DateAdd(20240115, 0, -13, 0), 20231215 - 10000);
    EXPECT_EQ(DateAdd(20240115, 400, 0, 0), 20250218);
}

TEST(DateAdd, ANonexistentDayOfTheMonthIsNormalisedForward) {
    EXPECT_EQ(DateAdd(20230131, 0, 1, 0), 20230303);
    EXPECT_EQ(DateAdd(20240131, 0, 1, 0), 20240302);
    EXPECT_EQ(DateAdd(20240229, 0, 0, 1), 20250301);
}

TEST(DateAdd, TheLastDayOfAnAccountingYearIsTheDayBeforeTheSameDateAYearLater) {
    EXPECT_EQ(DateAdd(20231001, -1, 0, 1), 20240930);
    EXPECT_EQ(DateAdd(20230301, -1, 0, 1), 20240229);
    EXPECT_EQ(DateAdd(20240301, -1, 0, 1), 20250228);
    EXPECT_EQ(DateAdd(19000301, -1, 0, 1), 19010228);
    EXPECT_EQ(DateAdd(20000301, -1, 0, 0), 20000229);
}

TEST(DateAdd, DatesBelow1900AndResultsOutOfRangeGiveNoDate) {
    EXPECT_EQ(DateAdd(0, 1, 0, 0), 0);
    EXPECT_EQ(DateAdd(1899, 1, 0, 0), 0);
    EXPECT_EQ(DateAdd(-20240101, 1, 0, 0), 0);
    EXPECT_EQ(DateAdd(99991231, 1, 0, 0), 100000101);
    EXPECT_EQ(DateAdd(2147481231, 1, 0, 0), 0);
    EXPECT_EQ(DateAdd(20240101, INT32_MAX, INT32_MAX, INT32_MAX), 0);
    EXPECT_EQ(DateAdd(20240101, INT32_MIN, INT32_MIN, INT32_MIN), 0);
}

}  // namespace
