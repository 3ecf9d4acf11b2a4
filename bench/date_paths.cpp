// Text into a date through XCVT_move against strptime plus timegm, with the
// time zone named in TZ and with TZ unset. The parser reads the clock at every
// call (tzset, then localtime_r), so the cost of that is part of its figure.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "comparisons.h"
#include "forms.h"

namespace {

constexpr char date_text[] = "17-MAR-1995";
constexpr char date_format[] = "%d-%b-%Y";
// Day 0 of the client core's numbering lies this many days before 1 January 1970.
constexpr int32_t days_before_1970 = 40587;

void set_zone(bool named)
{
    if (named)
        setenv("TZ", "UTC", 1);
    else
        unsetenv("TZ");
    tzset();
}

internal_date ours_once()
{
    internal_date date{};
    const value_desc from{dtype_fixed_string, 0, sizeof date_text - 1, 0,
                          const_cast<char *>(date_text)};
    const value_desc to{dtype_date, 0, sizeof date, 0, &date};
    XCVT_move(&from, &to);
    return date;
}

time_t peer_once()
{
    struct tm broken{};
    strptime(date_text, date_format, &broken);
    return timegm(&broken);
}

void ours(benchmark::State &state, bool named)
{
    set_zone(named);
    for (auto _ : state)
        bench::keep(ours_once());
}

void peer(benchmark::State &state, bool named)
{
    set_zone(named);
    for (auto _ : state)
        bench::keep(peer_once());
}

void zone_ours(benchmark::State &s) { ours(s, true); }
void zone_peer(benchmark::State &s) { peer(s, true); }
void local_ours(benchmark::State &s) { ours(s, false); }
void local_peer(benchmark::State &s) { peer(s, false); }

bool agrees()
{
    const internal_date date = ours_once();
    const time_t seconds = peer_once();
    const int64_t day = seconds / 86400 + days_before_1970;
    if (date.day_number == day && date.time_of_day == 0)
        return true;
    std::printf("  day %d against %lld\n", date.day_number, static_cast<long long>(day));
    return false;
}

[[maybe_unused]] const bool registered = [] {
    bench::compare("date_tz_set", 1.5, zone_ours, zone_peer, agrees);
    bench::compare("date_tz_unset", 0, local_ours, local_peer, agrees);
    return true;
}();

}  // namespace
