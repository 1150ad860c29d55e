#include "scan/date_time.h"

#include <cmath>
#include <ctime>
#include <utility>

namespace parvex {

namespace {

constexpr double kSecondsPerDay = 86400.0;
constexpr double kUnixEpochDays = 25569.0;  // 1970-01-01 counted from 1899-12-30

double DatePart(TDateTime value) { return std::trunc(value); }
double TimePart(TDateTime value) { return value - std::trunc(value); }

// Whole milliseconds: a time of day taken apart from its date picks up rounding errors, and a
// limit must still hold for a value that equals it.
long long Milliseconds(double days) { return std::llround(days * kSecondsPerDay * 1000.0); }

// The part of `value` that `limit` speaks about (its date, its time of day, or all of it) and the
// limit itself, both in milliseconds.
std::pair<long long, long long> Comparable(TDateTime value, TDateTime limit) {
    if (TimePart(limit) == 0) return {Milliseconds(DatePart(value)), Milliseconds(limit)};
    if (DatePart(limit) == 0) return {Milliseconds(TimePart(value)), Milliseconds(limit)};
    return {Milliseconds(value), Milliseconds(limit)};
}

}  // namespace

TDateTime ToDateTime(TFileTime time) {
    using namespace std::chrono;
    const auto seconds = floor<std::chrono::seconds>(time);
    const auto millis = duration_cast<milliseconds>(time - seconds).count();
    const std::time_t utc = system_clock::to_time_t(system_clock::time_point(seconds));
    std::tm local{};
    localtime_r(&utc, &local);
    // timegm reads the local wall-clock fields as if they were UTC: seconds since the epoch of the
    // local calendar, free of the time zone.
    const double wallSeconds = static_cast<double>(timegm(&local)) + static_cast<double>(millis) / 1000.0;
    return kUnixEpochDays + wallSeconds / kSecondsPerDay;
}

TDateTime Now() { return ToDateTime(std::chrono::system_clock::now()); }

bool InDateRange(TDateTime value, TDateTime before, TDateTime after) {
    if (before != 0) {
        const auto [part, limit] = Comparable(value, before);
        if (part > limit) return false;
    }
    if (after != 0) {
        const auto [part, limit] = Comparable(value, after);
        if (part < limit) return false;
    }
    return true;
}

}  // namespace parvex
