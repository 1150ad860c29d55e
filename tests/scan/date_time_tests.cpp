#include "scan/date_time.h"

#include <gtest/gtest.h>

#include <ctime>

namespace parvex {
namespace {

TFileTime LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&fields));
}

TEST(DateTimeTest, CountsLocalDaysFromTheEndOf1899WithTheTimeAsFraction) {
    EXPECT_DOUBLE_EQ(ToDateTime(LocalTime(1970, 1, 1, 0, 0, 0)), 25569.0);
    EXPECT_DOUBLE_EQ(ToDateTime(LocalTime(2024, 3, 1, 12, 0, 0)), 45352.5);
    EXPECT_NEAR(ToDateTime(LocalTime(2024, 3, 1, 6, 0, 0) + std::chrono::milliseconds(250)),
                45352.25 + 0.25 / 86400.0, 1e-9);
    // Sub-millisecond parts are dropped.
    EXPECT_DOUBLE_EQ(ToDateTime(LocalTime(2024, 3, 1, 0, 0, 0) + std::chrono::microseconds(999)), 45352.0);
}

TEST(DateTimeTest, NowIsTodayInLocalTime) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const TDateTime today =
        ToDateTime(LocalTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, 0, 0, 0));
    EXPECT_GE(Now(), today);
    EXPECT_LT(Now(), today + 1.0);
}

TEST(InDateRangeTest, ZeroLimitsLetEverythingPass) {
    EXPECT_TRUE(InDateRange(45352.5, 0, 0));
    EXPECT_TRUE(InDateRange(0, 0, 0));
}

TEST(InDateRangeTest, WholeDateLimitsCompareTheDateOnly) {
    const TDateTime afternoon = 45352.75;
    EXPECT_TRUE(InDateRange(afternoon, 45352.0, 0));   // same day, later time: still before
    EXPECT_FALSE(InDateRange(afternoon, 45351.0, 0));
    EXPECT_TRUE(InDateRange(afternoon, 0, 45352.0));
    EXPECT_FALSE(InDateRange(afternoon, 0, 45353.0));
}

TEST(InDateRangeTest, TimeOnlyLimitsCompareTheTimeOfDayOnly) {
    const TDateTime tenOClock = 45352.0 + 10.0 / 24.0;
    EXPECT_TRUE(InDateRange(tenOClock, 11.0 / 24.0, 0));
    EXPECT_FALSE(InDateRange(tenOClock, 9.0 / 24.0, 0));
    EXPECT_TRUE(InDateRange(tenOClock, 0, 9.0 / 24.0));
    EXPECT_FALSE(InDateRange(tenOClock, 0, 11.0 / 24.0));
    EXPECT_TRUE(InDateRange(tenOClock, 10.0 / 24.0, 10.0 / 24.0));  // inclusive
}

TEST(InDateRangeTest, FullLimitsCompareTheWholeValueInclusively) {
    const TDateTime value = 45352.5;
    EXPECT_TRUE(InDateRange(value, 45352.5, 45352.5));
    EXPECT_FALSE(InDateRange(value, 45352.25, 0));
    EXPECT_FALSE(InDateRange(value, 0, 45352.75));
    EXPECT_TRUE(InDateRange(value, 45352.75, 45352.25));
    EXPECT_FALSE(InDateRange(value, 45352.75, 45353.25));  // both must hold
}

}  // namespace
}  // namespace parvex
