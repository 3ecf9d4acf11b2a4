// Dates: text into dates (month names, words, both orders, the year window,
// fractions of a second, impossible days), dates as text, day numbers.
// Expectations that depend on the clock are taken from the clock.
#include <cstdlib>
#include <ctime>
#include <limits>

#include "fields.h"

using namespace xcvt_test;

// Found by argument lookup, so they stay beside the record's global name.
static bool operator==(const internal_date &a, const internal_date &b)
{
    return a.day_number == b.day_number && a.time_of_day == b.time_of_day;
}

static std::ostream &operator<<(std::ostream &out, const internal_date &d)
{
    return out << "{" << d.day_number << ", " << d.time_of_day << "}";
}

// The parser reads the clock with time(); this one can be held at a fixed
// instant, so that the words, the default year and the two-digit-year window
// are checked against known dates. Otherwise it is the system's clock.
namespace {
bool clock_is_fixed = false;
time_t fixed_instant = 0;
}  // namespace

extern "C" time_t time(time_t *result) noexcept
{
    struct timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const time_t instant = clock_is_fixed ? fixed_instant : now.tv_sec;
    if (result != nullptr)
        *result = instant;
    return instant;
}

namespace {

struct tm broken_down(int year, int month, int day, int hour, int minute, int second)
{
    struct tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

internal_date civil(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    const struct tm t = broken_down(year, month, day, hour, minute, second);
    internal_date d{};
    tdx__encode_date(&t, &d);
    return d;
}

struct tm local_now()
{
    const time_t clock = time(nullptr);
    struct tm now{};
    localtime_r(&clock, &now);
    return now;
}

int current_year()
{
    return local_now().tm_year + 1900;
}

// A two-digit year lies in the hundred years that begin fifty years before
// the current one.
int windowed(int two_digits)
{
    const int first = current_year() - 50;
    int year = first - first % 100 + two_digits;
    if (year < first)
        year += 100;
    return year;
}

internal_date today_at_midnight()
{
    const struct tm now = local_now();
    return civil(now.tm_year + 1900, now.tm_mon + 1, now.tm_mday);
}

// Moves text into a date field through the mover, as a form does.
internal_date parse(std::string_view text)
{
    field from(0, 0, 0);
    fill_fixed(from, text);
    field to(dtype_date, 0, 8);
    const value_desc f = from.desc();
    const value_desc t = to.desc();
    EXPECT_TRUE(comes_back([&] { XCVT_move(&f, &t); })) << text;
    return to.as<internal_date>();
}

struct parse_case {
    std::string_view text;
    internal_date expected;
};

TEST(TextToDate, ReadsBothOrdersAndMonthNames)
{
    const internal_date march_17 = civil(1995, 3, 17);
    const internal_date march_17_windowed = civil(windowed(95), 3, 17);
    const parse_case cases[] = {
        {"17-MAR-1995", march_17},
        {"17 mar 95", march_17_windowed},
        {"17.3.1995", march_17},
        {"3/17/95", march_17_windowed},
        {"MAR 17 1995", march_17},
        {"March 17, 1995", march_17},
        {"march 17 1995", march_17},
        {"17 MARCH 1995", march_17},
        {"  17.03-1995  ", march_17},
        {"3:17:1995", march_17},
        {"3 17 1995", march_17},
        {"FEB.3.95", civil(windowed(95), 3, 2)},  // "." after the first part: day first
        {"17/3.1995", march_17},                   // "." after the second part: day first too
        {"17MAR1995", march_17},                   // no separator needed between kinds
        {"MAR17", civil(current_year(), 3, 17)},
        {"1 2 MAR", civil(windowed(3), 2, 1)},     // a month name in the year's place
        {"17-MAR", civil(current_year(), 3, 17)},
        {"17-MAR-0", civil(windowed(0), 3, 17)},
        {"1-JAN-100", civil(100, 1, 1)},
        {"29-FEB-2000", civil(2000, 2, 29)},
        {"1 J 2000", civil(2000, 1, 1)},
        {"1 JU 2000", civil(2000, 6, 1)},
        {"1 MA 2000", civil(2000, 3, 1)},
        {"1 A 2000", civil(2000, 4, 1)},
        {"1 NO 2000", civil(2000, 11, 1)},
        {"1 SEPTEMBER 2000", civil(2000, 9, 1)},
        {"", internal_date{0, 0}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(parse(c.text), c.expected) << c.text;
}

TEST(TextToDate, TwoDigitYearsFollowTheCurrentYear)
{
    const int now = current_year();
    for (int back : {50, 49, 1, 0}) {
        const int year = now - back;
        const std::string text = "1/1/" + std::to_string(year % 100);
        EXPECT_EQ(parse(text), civil(year, 1, 1)) << text;
    }
    for (int ahead : {1, 49}) {
        const int year = now + ahead;
        const std::string text = "1/1/" + std::to_string(year % 100);
        EXPECT_EQ(parse(text), civil(year, 1, 1)) << text;
    }
}

TEST(TextToDate, TimeOfDayAndFractionOfTheSecond)
{
    const int32_t base = civil(1995, 1, 1, 10, 30, 15).time_of_day;
    const struct {
        std::string_view text;
        int32_t time_of_day;
    } cases[] = {
        {"1-JAN-1995 10:30:15.5", 378155000},
        {"1-JAN-1995 10:30:15.25", base + 2500},
        {"1-JAN-1995 10:30:15.0125", base + 125},
        {"1-JAN-1995 10:30:15.12345", base + 12345},
        {"1-JAN-1995 10:30:15.99999", base + 34463},  // the number wraps at 16 bits
        {"1-JAN-1995 10:30:15.7000", base + 7000},
        {"1-JAN-1995 10:30:15", base},
        {"1-JAN-1995 10:30", civil(1995, 1, 1, 10, 30).time_of_day},
        {"1/1/1995 10 30 15 5", base + 5000},
        {"1/2/3/4/5/6/7/8", civil(windowed(3), 1, 2, 4, 5, 6).time_of_day + 7000},
    };
    for (const auto &c : cases) {
        const internal_date d = parse(c.text);
        EXPECT_EQ(d.time_of_day, c.time_of_day) << c.text;
    }
    EXPECT_EQ(parse("1/2/3/4/5/6/7/8").day_number, civil(windowed(3), 1, 2).day_number);
}

// The clock may pass midnight during a test: either side is accepted.
template <typename F>
void expect_around_today(F &&expected_from_today, std::string_view text)
{
    const internal_date before = expected_from_today(today_at_midnight());
    const internal_date parsed = parse(text);
    const internal_date after = expected_from_today(today_at_midnight());
    EXPECT_TRUE(parsed == before || parsed == after) << text << " gave " << parsed;
}

TEST(TextToDate, WordsForToday)
{
    const auto same = [](internal_date d) { return d; };
    const auto next = [](internal_date d) { return internal_date{d.day_number + 1, 0}; };
    const auto previous = [](internal_date d) { return internal_date{d.day_number - 1, 0}; };
    using namespace std::string_view_literals;
    for (std::string_view text : {"today"sv, " TODAY "sv, "TODAY\t"sv, "TODAY\0\0"sv, "ToDaY"sv,
                                  "17-MAR-1995 TODAY"sv, "5 TODAY"sv})
        expect_around_today(same, text);
    expect_around_today(next, "TOMORROW");
    expect_around_today(previous, "yesterday");
}

// Odd corners of the seven components, kept as they are: the fraction is
// scaled by the digits of the last number read, whatever stood in its place;
// nothing after the seventh component is read, not even a word; a word
// before it ends the parse wherever it stands.
TEST(TextToDate, SeventhComponentAndWhatFollowsIt)
{
    const internal_date jan_2 = civil(windowed(3), 1, 2, 4, 5, 6);
    const parse_case cases[] = {
        {"1/2/3/4/5/6/7 TODAY", {jan_2.day_number, jan_2.time_of_day + 7000}},
        {"1/2/3/4/5/6/7#x", {jan_2.day_number, jan_2.time_of_day + 7000}},
        // A month name in seventh place: 3 scaled by the one digit of "6";
        // the name also puts the day first.
        {"1/2/3/4/5/6/MAR", {civil(windowed(3), 2, 1).day_number, jan_2.time_of_day + 3000}},
        // No number read at all: four places, in 16-bit arithmetic.
        {"MAR MAR MAR MAR MAR MAR MAR",
         {civil(windowed(3), 3, 3).day_number, civil(2000, 1, 1, 3, 3, 3).time_of_day + 30000}},
        {"SEP SEP SEP SEP SEP SEP SEP",
         {civil(windowed(9), 9, 9).day_number, civil(2000, 1, 1, 9, 9, 9).time_of_day + 24464}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(parse(c.text), c.expected) << c.text;
    expect_around_today([](internal_date d) { return d; }, "1/2/3/4/5/6/TODAY");
}

TEST(TextToDate, NowKeepsTheTimeOfDay)
{
    const auto encode_now = [] {
        struct tm now = local_now();
        internal_date d{};
        tdx__encode_date(&now, &d);
        return d;
    };
    const internal_date before = encode_now();
    const internal_date parsed = parse(" now ");
    const internal_date after = encode_now();
    const auto seconds = [](internal_date d) {
        return static_cast<int64_t>(d.day_number) * 86400 + d.time_of_day / 10000;
    };
    EXPECT_GE(seconds(parsed), seconds(before));
    EXPECT_LE(seconds(parsed), seconds(after));
    EXPECT_EQ(parsed.time_of_day % 10000, 0);
}

// While it lives, the clock stands at one instant and TZ names the zone; the
// zone the process had comes back afterwards.
class fixed_clock {
public:
    fixed_clock(time_t instant, const char *zone)
    {
        if (const char *had = std::getenv("TZ")) {
            had_zone_ = true;
            zone_ = had;
        }
        setenv("TZ", zone, 1);
        fixed_instant = instant;
        clock_is_fixed = true;
    }
    ~fixed_clock()
    {
        clock_is_fixed = false;
        if (had_zone_)
            setenv("TZ", zone_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    fixed_clock(const fixed_clock &) = delete;
    fixed_clock &operator=(const fixed_clock &) = delete;

private:
    bool had_zone_ = false;
    std::string zone_;
};

time_t utc_instant(int year, int month, int day, int hour, int minute, int second)
{
    struct tm t = broken_down(year, month, day, hour, minute, second);
    return timegm(&t);
}

struct fixed_clock_case {
    int year, month, day, hour, minute, second;  // the clock, in universal time
    std::string_view text;
    internal_date expected;
};

TEST(TextToDate, FixedClockGivesWordsYearAndWindow)
{
    const internal_date march_20 = civil(1995, 3, 20);
    const fixed_clock_case cases[] = {
        {1995, 3, 20, 14, 25, 36, "TODAY", march_20},
        {1995, 3, 20, 14, 25, 36, "tomorrow", {march_20.day_number + 1, 0}},
        {1995, 3, 20, 14, 25, 36, "YESTERDAY", {march_20.day_number - 1, 0}},
        {1995, 3, 20, 14, 25, 36, "NOW", civil(1995, 3, 20, 14, 25, 36)},
        {1995, 3, 20, 14, 25, 36, "17-MAR", civil(1995, 3, 17)},
        {1995, 3, 20, 14, 25, 36, "17-MAR-0", civil(2000, 3, 17)},
        {1995, 3, 20, 14, 25, 36, "1/1/44", civil(2044, 1, 1)},
        {1995, 3, 20, 14, 25, 36, "1/1/45", civil(1945, 1, 1)},
        {2026, 12, 10, 2, 0, 0, "1/1/75", civil(2075, 1, 1)},
        {2026, 12, 10, 2, 0, 0, "1/1/76", civil(1976, 1, 1)},
        {2026, 12, 10, 2, 0, 0, "1/1/100", civil(100, 1, 1)},
        // Before 1950 the remainder is negative: every two-digit year is 19xx.
        {1949, 6, 1, 0, 0, 0, "1/1/0", civil(1900, 1, 1)},
        {1949, 6, 1, 0, 0, 0, "1/1/99", civil(1999, 1, 1)},
        {1949, 6, 1, 0, 0, 0, "1 JUNE", civil(1949, 6, 1)},
    };
    for (const auto &c : cases) {
        const fixed_clock clock(utc_instant(c.year, c.month, c.day, c.hour, c.minute, c.second),
                                "UTC0");
        EXPECT_EQ(parse(c.text), c.expected) << c.text << " in " << c.year;
    }
}

// A clock beyond the years a broken-down time holds reads as all zeros:
// year 1900, and no field of a half-done breakdown.
TEST(TextToDate, ClockBeyondTheCalendarReadsAsZero)
{
    if constexpr (sizeof(time_t) < 8)
        GTEST_SKIP() << "every 32-bit time breaks down";
    const fixed_clock clock(std::numeric_limits<time_t>::max(), "UTC0");
    EXPECT_EQ(parse("17-MAR"), civil(1900, 3, 17));
    EXPECT_EQ(parse("1/1/50"), civil(1950, 1, 1));  // the pivot is -50
    EXPECT_EQ(parse("NOW"), civil(1900, 1, 0));
}

// The zone is the one the process has at each parse: a TZ changed between
// two parses counts at the second.
TEST(TextToDate, ZoneIsReadAtEachParse)
{
    const time_t instant = utc_instant(1995, 3, 20, 22, 30, 0);
    const struct {
        const char *zone;
        internal_date now;
        internal_date today;
    } cases[] = {
        {"UTC0", civil(1995, 3, 20, 22, 30), civil(1995, 3, 20)},
        {"<+05>-5", civil(1995, 3, 21, 3, 30), civil(1995, 3, 21)},
        {"<-03>3", civil(1995, 3, 20, 19, 30), civil(1995, 3, 20)},
        {"UTC0", civil(1995, 3, 20, 22, 30), civil(1995, 3, 20)},
    };
    for (const auto &c : cases) {
        const fixed_clock clock(instant, c.zone);
        EXPECT_EQ(parse("NOW"), c.now) << c.zone;
        EXPECT_EQ(parse("TODAY"), c.today) << c.zone;
    }
}

std::string date_message(std::string_view text)
{
    return "Error converting string \"" + std::string(text) + "\" to date";
}

// Reports the failure and hands back what the field holds afterwards.
internal_date parse_failing(std::string_view text, std::string_view message)
{
    field from(0, 0, 0);
    fill_fixed(from, text);
    field to(dtype_date, 0, 8);
    to.put(internal_date{-7, -7});
    const value_desc f = from.desc();
    const value_desc t = to.desc();
    EXPECT_TRUE(ends_in_error([&] { XCVT_move(&f, &t); }, message)) << text;
    return to.as<internal_date>();
}

TEST(TextToDate, ImpossibleDaysAreRefusedAfterEncoding)
{
    // The field keeps the encoded date, which the decode showed to be another day.
    EXPECT_EQ(parse_failing("31-FEB-1995", date_message("31-FEB-1995")), civil(1995, 3, 3));
    EXPECT_EQ(parse_failing("0-JAN-1995", date_message("0-JAN-1995")), civil(1994, 12, 31));
    EXPECT_EQ(parse_failing("13/1/1995", date_message("13/1/1995")), civil(1996, 1, 1));
    EXPECT_EQ(parse_failing("   ", date_message("   ")), civil(current_year(), 0, 0));
    // Only a month name or a "." sets day-first order: this is month 17.
    EXPECT_EQ(parse_failing("17:3:1995", date_message("17:3:1995")), civil(1996, 5, 3));
    // A "." after the second part puts the day first even after a month name
    // that stood first: day 3 of month 17.
    EXPECT_EQ(parse_failing("MAR 17.1995", date_message("MAR 17.1995")), civil(1996, 5, 3));
    EXPECT_EQ(parse_failing("29-FEB-1995", date_message("29-FEB-1995")), civil(1995, 3, 1));
}

TEST(TextToDate, BadCharactersAndWords)
{
    const internal_date untouched{-7, -7};
    // Checked before anything is stored: a bad character where a part
    // should start, or anything but blanks, tabs and NULs after a word.
    for (std::string_view text : {"17#MAR", "*", "17-MAR-1995 TODAY x", "TODAY5", "TODAY 5",
                                  "17 FOO 1995", "1 ABCDEFGHIJKLMNOPQRSTUVWXYZ 1995", "1;2;3",
                                  "\t1-1-1995"})
        EXPECT_EQ(parse_failing(text, date_message(text)), untouched) << text;

    // A last word that is neither month nor keyword leaves today at midnight.
    for (std::string_view text : {"TO", "XYZ", "TODAYX", "JANUARYX", "1 ABCDEFGHIJKLMNOPQRSTUVWXYZ"}) {
        const internal_date before = today_at_midnight();
        const internal_date left = parse_failing(text, date_message(text));
        EXPECT_TRUE(left == before || left == today_at_midnight()) << text << " left " << left;
    }
}

TEST(TextToDate, LongTextsAreCutInTheMessage)
{
    const std::string fits = "#" + std::string(220, 'A');  // 221 bytes: the message is whole
    parse_failing(fits, date_message(fits));
    const std::string longer = "#" + std::string(400, 'B');
    const std::string message = date_message(longer.substr(0, 221));
    EXPECT_EQ(message.size(), 255u);
    parse_failing(longer, message);
}

TEST(TextToDate, TerminatedAndVaryingSources)
{
    field terminated(0, 0, 0);
    fill_terminated(terminated, "17-MAR-1995", 20);
    field varying(0, 0, 0);
    fill_varying(varying, "3/17/1995");
    for (field *from : {&terminated, &varying}) {
        field to(dtype_date, 0, 8);
        const value_desc f = from->desc();
        const value_desc t = to.desc();
        XCVT_move(&f, &t);
        EXPECT_EQ(to.as<internal_date>(), civil(1995, 3, 17));
    }
}

// ---- Dates as text -----------------------------------------------------

TEST(DateToText, DatePartAndTimePart)
{
    const struct {
        internal_date date;
        int to_kind;
        uint16_t to_length;
        std::string expected;  // destination bytes and one beyond
    } cases[] = {
        {civil(1995, 3, 7), 1, 11, " 7-MAR-1995#"},
        {civil(1995, 3, 7), 1, 5, " 7-MA#"},
        {civil(1995, 3, 7), 1, 14, " 7-MAR-1995   #"},
        {civil(1995, 3, 7), 2, 20, std::string(" 7-MAR-1995\0#", 13)},
        {civil(1995, 3, 7), 3, 20, count_bytes(11) + " 7-MAR-1995#"},
        {civil(1994, 11, 17), 1, 11, "17-NOV-1994#"},
        {{civil(1994, 11, 17, 13, 5, 9).day_number, civil(1994, 11, 17, 13, 5, 9).time_of_day + 2500},
         1, 25, "17-NOV-1994 13:05:09.2500#"},
        {civil(1995, 3, 7, 9), 1, 25, " 7-MAR-1995  9:00:00.0000#"},
        {{civil(1994, 11, 17).day_number, 1}, 1, 25, "17-NOV-1994  0:00:00.0001#"},
        {civil(12345, 12, 31), 1, 12, "31-DEC-12345#"},
        // No room for the NUL or the count: nothing is written.
        {civil(1995, 3, 7), 2, 0, "#"},
        {civil(1995, 3, 7), 3, 1, "##"},
        {civil(1995, 3, 7), 3, 2, std::string("\0\0#", 3)},
    };
    for (const auto &c : cases) {
        field from(dtype_date, 0, 8);
        from.put(c.date);
        field to(static_cast<uint8_t>(c.to_kind), 0, c.to_length);
        const value_desc f = from.desc();
        const value_desc t = to.desc();
        EXPECT_TRUE(comes_back([&] { XCVT_move(&f, &t); })) << c.expected;
        EXPECT_EQ(to.text(c.expected.size()), c.expected);
    }
}

// ---- Fractional day numbers --------------------------------------------

TEST(DayNumbers, FromDoubles)
{
    const struct {
        double value;
        internal_date date;
    } cases[] = {
        {1.5, {1, 432000000}},
        {-1.5, {-1, -432000000}},
        {10.25, {10, 216000000}},
        {0.0, {0, 0}},
        {0.1, {0, static_cast<int32_t>(0.1 * 24.0 * 60.0 * 60.0 * 10000.0)}},
        {49000.999999999, {49000, static_cast<int32_t>((49000.999999999 - 49000.0) * 24.0 * 60.0 * 60.0 * 10000.0)}},
    };
    for (const auto &c : cases) {
        internal_date date{-9, -9};
        XCVT_double_to_date(c.value, &date);
        EXPECT_EQ(date, c.date) << c.value;
    }
}

TEST(DayNumbers, ToDoubles)
{
    internal_date date{10, 216000000};
    const value_desc d{dtype_date, 0, 8, 0, &date};
    EXPECT_EQ(XCVT_date_to_double(&d), 10.25);

    date = internal_date{-3, 1};
    EXPECT_EQ(XCVT_date_to_double(&d), -3.0 + 1.0 / 864000000.0);

    // Text converts first; other kinds fail as the move does.
    field text(0, 0, 0);
    fill_fixed(text, "17-MAR-1995 6:00");
    const value_desc t = text.desc();
    EXPECT_EQ(XCVT_date_to_double(&t), civil(1995, 3, 17).day_number + 0.25);

    int16_t number = 5;
    const value_desc s{dtype_short_integer, 0, 2, 0, &number};
    EXPECT_TRUE(ends_in_bugcheck([&] { XCVT_date_to_double(&s); }, "XCVT_move: conversion not done"));
    unsigned char id[8] = {};
    const value_desc b{dtype_blob, 0, 8, 0, id};
    EXPECT_TRUE(ends_in_blob_failure([&] { XCVT_date_to_double(&b); }));
    fill_fixed(text, "31-FEB-1995");
    const value_desc bad = text.desc();
    EXPECT_TRUE(ends_in_error([&] { XCVT_date_to_double(&bad); }, date_message("31-FEB-1995")));
}

}  // namespace
