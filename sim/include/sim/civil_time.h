// Wall-clock time as the terminals keep it: seconds since 1970-01-01 00:00:00 of the local
// calendar, without time zones or daylight saving, so that setting and reading a clock is plain
// arithmetic.
#pragma once

#include <cstdint>
#include <functional>

namespace sim {

using CivilSeconds = int64_t;

// The source of the host's wall-clock time; tests pass a fixed one.
using HostClock = std::function<CivilSeconds()>;

struct CivilDateTime {
    int year = 1970;
    int month = 1;  // 1-12
    int day = 1;    // 1-31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 4;  // 0 Sunday .. 6 Saturday
};

// The host's local time now.
CivilSeconds hostCivilNow();

CivilSeconds civilSeconds(int year, int month, int day, int hour = 0, int minute = 0,
                          int second = 0);
CivilDateTime civilDateTime(CivilSeconds seconds);

// True when year, month and day name a real calendar day.
bool isCalendarDay(int year, int month, int day);

}  // namespace sim
