#pragma once
// Calendar values of the search's date limits.

#include <chrono>

namespace parvex {

// Days since 1899-12-30 00:00 in local time: the date in the integer part, the time of day as the
// fraction (0.5 is noon). 0 stands for "no limit" in the search's date limits.
using TDateTime = double;

using TFileTime = std::chrono::system_clock::time_point;

// The local date-time of `time`, milliseconds kept.
TDateTime ToDateTime(TFileTime time);
TDateTime Now();

// Whether `value` lies within both limits, each inclusive and 0 meaning no limit. A limit without a
// time part (a whole date) is compared with the date of `value` only, a limit without a date part
// (below 1) with its time of day only, any other limit with the whole value.
bool InDateRange(TDateTime value, TDateTime before, TDateTime after);

}  // namespace parvex
