// Dates of the stand-in core: proleptic Gregorian calendar, day 0 being
// 17 November 1858, consecutive days having consecutive numbers.
#include <cstdint>

#include "core_state.h"

namespace {

constexpr int64_t units_per_second = 10000;

// Days from 1 March of year 0, shifted to the core's numbering.
constexpr int64_t days_from_civil(int64_t y, int64_t m, int64_t d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;  // days since 1970-01-01
}

constexpr int64_t epoch_offset = days_from_civil(1858, 11, 17);

struct Civil {
    int64_t year;
    int month;
    int day;
};

constexpr Civil civil_from_days(int64_t z)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (m <= 2), m, d};
}

static_assert(days_from_civil(1858, 11, 17) - epoch_offset == 0);
static_assert(civil_from_days(days_from_civil(2000, 2, 29)).day == 29);

int64_t floor_div(int64_t a, int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

}  // namespace

extern "C" {

// Impossible days roll over into real ones (day 0 is the last day of the
// month before, month 12 is January of the next year), so that a caller
// can detect them by decoding again.
void tdx__encode_date(const struct tm *time, internal_date *date)
{
    const int64_t months = static_cast<int64_t>(time->tm_year) * 12 + time->tm_mon;
    const int64_t year = 1900 + floor_div(months, 12);
    const int64_t month = months - floor_div(months, 12) * 12 + 1;
    const int64_t day = days_from_civil(year, month, 1) + time->tm_mday - 1 - epoch_offset;
    const int64_t units =
        ((static_cast<int64_t>(time->tm_hour) * 60 + time->tm_min) * 60 + time->tm_sec) *
        units_per_second;
    date->day_number = static_cast<int32_t>(day);
    date->time_of_day = static_cast<int32_t>(units);
}

void tdx__decode_date(const internal_date *date, struct tm *time)
{
    const Civil c = civil_from_days(static_cast<int64_t>(date->day_number) + epoch_offset);
    const int64_t units = date->time_of_day;
    time->tm_year = static_cast<int>(c.year - 1900);
    time->tm_mon = c.month - 1;
    time->tm_mday = c.day;
    time->tm_hour = static_cast<int>(units / (3600 * units_per_second));
    time->tm_min = static_cast<int>(units / (60 * units_per_second) % 60);
    time->tm_sec = static_cast<int>(units / units_per_second % 60);
    // Day of the week and of the year, as the C library fills them.
    const int64_t since_1970 = static_cast<int64_t>(date->day_number) + epoch_offset;
    time->tm_wday = static_cast<int>(((since_1970 % 7) + 7 + 4) % 7);
    time->tm_yday = static_cast<int>(since_1970 - days_from_civil(c.year, 1, 1));
    time->tm_isdst = 0;
}

}  // extern "C"
