#include "sim/civil_time.h"

#include <chrono>
#include <ctime>

namespace sim {
namespace {

using namespace std::chrono;

constexpr int64_t kSecondsPerDay = 86'400;

int64_t floorDiv(int64_t value, int64_t divisor) {
    const int64_t quotient = value / divisor;
    return (value % divisor < 0) ? quotient - 1 : quotient;
}

}  // namespace

CivilSeconds hostCivilNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return civilSeconds(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                        local.tm_min, local.tm_sec);
}

CivilSeconds civilSeconds(int year, int month, int day, int hour, int minute, int second) {
    const sys_days date =
        year_month_day{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                       std::chrono::day{static_cast<unsigned>(day)}};
    return int64_t{date.time_since_epoch().count()} * kSecondsPerDay + hour * 3600 + minute * 60 +
           second;
}

CivilDateTime civilDateTime(CivilSeconds seconds) {
    const int64_t days = floorDiv(seconds, kSecondsPerDay);
    const int64_t ofDay = seconds - days * kSecondsPerDay;
    const sys_days date{std::chrono::days{days}};
    const year_month_day ymd{date};
    return CivilDateTime{.year = static_cast<int>(ymd.year()),
                         .month = static_cast<int>(static_cast<unsigned>(ymd.month())),
                         .day = static_cast<int>(static_cast<unsigned>(ymd.day())),
                         .hour = static_cast<int>(ofDay / 3600),
                         .minute = static_cast<int>(ofDay / 60 % 60),
                         .second = static_cast<int>(ofDay % 60),
                         .weekday = static_cast<int>(weekday{date}.c_encoding())};
}

bool isCalendarDay(int year, int month, int day) {
    if (month < 1 || month > 12 || day < 1 || day > 31) return false;
    return year_month_day{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                          std::chrono::day{static_cast<unsigned>(day)}}
        .ok();
}

}  // namespace sim
