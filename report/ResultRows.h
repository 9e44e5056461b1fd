// The stored results of one person as kvt-report reads them: daily rows of ZTW332SFZ and
// carry-over rows of ZTW332SFV, each with the columns that a calculation computes. The write
// stamp (SFZDAT, SFVDAT) and the user text (SFZERF, SFVERF) are not compared: they differ between
// any two calculations, and SFVZUS is not a result of the calculation. Plain values, owned by
// whoever holds them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "base/CString.h"

// The computed columns of a daily row, in the order of the read.
enum DailyColumn {
    kSfzAnt,
    kSfzVtg,
    kSfzVan,
    kSfzAns,
    kSfzGen,
    kSfzVpl,
    kSfzRst,
    kSfzGvv,
    kSfzSta,
    kDailyColumns
};
// The computed columns of a carry-over row (month 0), in the order of the read.
enum YearColumn { kSfvVtg, kSfvVan, kSfvSta, kYearColumns };

inline constexpr std::array<const char*, kDailyColumns> kDailyColumnNames = {
    "SFZANT", "SFZVTG", "SFZVAN", "SFZANS", "SFZGEN", "SFZVPL", "SFZRST", "SFZGVV", "SFZSTA"};
inline constexpr std::array<const char*, kYearColumns> kYearColumnNames = {"SFVVTG", "SFVVAN", "SFVSTA"};

struct ResultRow {
    int32_t key = 0;      // the day yyyymmdd of a daily row, the year SFVJHR of a carry-over row
    int32_t written = 0;  // the day of the write stamp (SFZDAT, SFVDAT) yyyymmdd; 0 when there is none
    std::array<double, kDailyColumns> values{};
    std::array<bool, kDailyColumns> isNull{};
};

// The decimals that the columns keep of a written value unless the read tells otherwise: those
// that the calculation sends.
inline constexpr int kSentDecimals = 6;

// The decimals kept by each column of a read, in the order of its columns.
using ColumnDecimals = std::array<int, kDailyColumns>;

constexpr ColumnDecimals SentDecimalsEach() {
    ColumnDecimals decimals{};
    decimals.fill(kSentDecimals);
    return decimals;
}

// The rows of one person in a range of days and years, each list in ascending order of its key,
// and the decimals that each column of the tables keeps.
struct StoredResults {
    std::vector<ResultRow> days;
    std::vector<ResultRow> years;
    ColumnDecimals dayDecimals = SentDecimalsEach();
    ColumnDecimals yearDecimals = SentDecimalsEach();
};
