// Dates: text to internal date (month names, the four words, both orders of
// day and month, the two-digit-year window), the text form of a date, and
// fractional day numbers. Calendar arithmetic is the client core's.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "xcvt_internal.h"

namespace {

constexpr std::array<const char *, 13> months = {
    "JANUARY", "FEBRUARY", "MARCH",     "APRIL",   "MAY",      "JUNE",     "JULY",
    "AUGUST",  "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER", nullptr};

constexpr int word_letters = 15;  // the word area holds 15 letters and a NUL
constexpr int message_size = 256;
// "Error converting string \"\" to date" takes 34 bytes; longer texts are cut
// so that the message always ends whole.
constexpr int message_text_limit = message_size - 1 - 34;
// Two-digit day, year of up to eleven characters, time part of up to fifteen.
constexpr int date_text_size = 36;

constexpr bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

constexpr char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr bool is_letter(char c)
{
    return upper(c) >= 'A' && upper(c) <= 'Z';
}

// Reports the text as no date; false, for the caller to hand on.
bool date_error(const char *text, uint16_t length)
{
    const int shown = length < message_text_limit ? length : message_text_limit;
    char message[message_size];
    // `shown` keeps the text within the message, so nothing is cut.
    (void)std::snprintf(message, sizeof message, "Error converting string \"%.*s\" to date",
                        shown, text);
    return xcvt_internal::report_error(message);
}

void now_to_date(const struct tm *now, internal_date *date)
{
    tdx__encode_date(now, date);
}

// The current time, broken down in the zone the process has at this call:
// tzset reads TZ anew (localtime_r alone may keep the zone it saw first), and
// localtime_r fills a record of our own, which no other thread can change.
struct tm read_clock()
{
    const time_t clock = time(nullptr);
    tzset();
    struct tm now{};
    if (localtime_r(&clock, &now) == nullptr)
        now = tm{};
    return now;
}

// ---- Reading the words and numbers ----

// The components of a date text in the order the text gives them; the first
// two are the day and the month, in either order.
struct date_components {
    uint16_t first = 0;
    uint16_t second = 0;
    uint16_t year = 0;
    uint16_t hours = 0;
    uint16_t minutes = 0;
    uint16_t seconds = 0;
    uint16_t fraction = 0;  // of the second
};

// The places of the components, in text order; anything after the last is
// not read.
constexpr std::array<uint16_t date_components::*, 7> places = {
    &date_components::first,   &date_components::second,  &date_components::year,
    &date_components::hours,   &date_components::minutes, &date_components::seconds,
    &date_components::fraction};

// A "." after a component in one of the first two places puts the day first.
constexpr size_t day_and_month_places = 2;

// What reading a date text found.
struct date_reading {
    date_components components;
    // The day comes first: a month name stood after the first place, or a "."
    // followed the first or second component.
    bool day_first = false;
    bool year_given = false;     // a number stood in the year's place
    int last_number_digits = 0;  // they scale the fraction, whatever its place held
    uint16_t position = 0;       // where reading goes on
    char word[word_letters + 1] = {};  // the last word read
};

enum class reading_end : uint8_t { components, keyword, bad_character };

uint16_t skip_blanks(const char *text, uint16_t length, uint16_t position)
{
    while (position < length && text[position] == ' ')
        ++position;
    return position;
}

// A run of digits as an unsigned 16-bit number, modulo 65536.
uint16_t read_number(const char *text, uint16_t length, date_reading &reading)
{
    uint16_t number = 0;
    int digits = 0;
    for (; reading.position < length && is_digit(text[reading.position]); ++reading.position) {
        number = static_cast<uint16_t>(number * 10 + (text[reading.position] - '0'));
        ++digits;
    }
    reading.last_number_digits = digits;
    return number;
}

// A run of letters, folded to upper case, into the reading's word. Letters
// past the fifteenth are read but not kept: no month name or word is that
// long, so such a word is simply unknown.
size_t read_word(const char *text, uint16_t length, date_reading &reading)
{
    size_t letters = 0;
    for (; reading.position < length && is_letter(text[reading.position]); ++reading.position) {
        if (letters < word_letters)
            reading.word[letters++] = upper(text[reading.position]);
    }
    reading.word[letters] = '\0';
    return letters;
}

// 1 to 12 for the first month whose name the word begins, else 0.
int month_of(const char *word, size_t letters)
{
    for (int i = 0; months[i] != nullptr; ++i) {
        if (letters > 0 && letters <= std::strlen(months[i]) &&
            std::memcmp(months[i], word, letters) == 0)
            return i + 1;
    }
    return 0;
}

// The number or month name that starts at the reading's position, into its
// place; false for a word that is no month name.
bool read_component(const char *text, uint16_t length, size_t place, date_reading &reading)
{
    uint16_t &component = reading.components.*places[place];
    if (is_digit(text[reading.position])) {
        component = read_number(text, length, reading);
        if (places[place] == &date_components::year)
            reading.year_given = true;
        return true;
    }
    const int month = month_of(reading.word, read_word(text, length, reading));
    if (month == 0)
        return false;
    component = static_cast<uint16_t>(month);
    if (place > 0)
        reading.day_first = true;
    return true;
}

// Blanks, then one separator ("/", ",", "-", ":" or ".") is passed over;
// anything else is left for the next component, so blanks alone separate.
void skip_separator(const char *text, uint16_t length, size_t place, date_reading &reading)
{
    reading.position = skip_blanks(text, length, reading.position);
    if (reading.position == length)
        return;
    const char separator = text[reading.position];
    if (separator == '/' || separator == ',' || separator == '-' || separator == ':') {
        ++reading.position;
    } else if (separator == '.') {
        ++reading.position;
        if (place < day_and_month_places)
            reading.day_first = true;
    }
}

// Up to seven components; reading stops early at the end of the text, at a
// word that is no month name, and at a character that starts no component.
reading_end read_components(const char *text, uint16_t length, date_reading &reading)
{
    for (size_t place = 0; place < places.size(); ++place) {
        reading.position = skip_blanks(text, length, reading.position);
        if (reading.position == length)
            break;
        const char c = text[reading.position];
        if (!is_digit(c) && !is_letter(c))
            return reading_end::bad_character;
        if (!read_component(text, length, place, reading))
            return reading_end::keyword;
        skip_separator(text, length, place, reading);
    }
    return reading_end::components;
}

bool is_word(const char *word, const char *keyword)
{
    return std::strcmp(word, keyword) == 0;
}

// A word that is no month name ends the parse wherever it stands; the
// components read before it are dropped.
bool keyword_to_date(const date_reading &reading, const char *text, uint16_t length,
                     struct tm &now, internal_date *date)
{
    for (uint16_t i = reading.position; i < length; ++i) {
        if (text[i] != ' ' && text[i] != '\t' && text[i] != '\0')
            return date_error(text, length);
    }
    if (is_word(reading.word, "NOW")) {
        now_to_date(&now, date);
        return true;
    }
    now.tm_sec = 0;
    now.tm_min = 0;
    now.tm_hour = 0;
    tdx__encode_date(&now, date);
    if (is_word(reading.word, "TODAY"))
        return true;
    if (is_word(reading.word, "TOMORROW")) {
        date->day_number = static_cast<int32_t>(static_cast<uint32_t>(date->day_number) + 1u);
        return true;
    }
    if (is_word(reading.word, "YESTERDAY")) {
        date->day_number = static_cast<int32_t>(static_cast<uint32_t>(date->day_number) - 1u);
        return true;
    }
    return date_error(text, length);  // the date holds today at midnight
}

// ---- Assembling the components and checking them ----

// Two-digit years fall in the hundred years that begin fifty years before
// the current one.
int32_t full_year(uint16_t year, bool year_given, const struct tm &now)
{
    if (year == 0 && !year_given)
        return now.tm_year + 1900;
    if (year < 100) {
        const int32_t pivot = (now.tm_year - 50) % 100;
        return year < pivot ? 2000 + year : 1900 + year;
    }
    return year;
}

// The day and time of day that the components ask for.
struct tm asked_time(const date_reading &reading, const struct tm &now)
{
    const date_components &c = reading.components;
    struct tm asked{};
    asked.tm_year = full_year(c.year, reading.year_given, now) - 1900;
    asked.tm_mon = (reading.day_first ? c.second : c.first) - 1;
    asked.tm_mday = reading.day_first ? c.first : c.second;
    asked.tm_hour = c.hours;
    asked.tm_min = c.minutes;
    asked.tm_sec = c.seconds;
    return asked;
}

// A day, month and year that name no calendar day (31 February, month 13,
// day 0) are encoded as another day, which the decode shows. Hours, minutes
// and seconds are not tested.
bool is_calendar_day(const struct tm &asked, const internal_date *date)
{
    struct tm decoded{};
    tdx__decode_date(date, &decoded);
    return decoded.tm_year == asked.tm_year && decoded.tm_mon == asked.tm_mon &&
           decoded.tm_mday == asked.tm_mday;
}

// The fraction of the second in ten-thousandths: scaled up to four digits by
// the digits of the last number read (".5" is 5000), in 16-bit arithmetic.
uint16_t fraction_units(const date_reading &reading)
{
    uint16_t fraction = reading.components.fraction;
    for (int d = reading.last_number_digits; d < 4; ++d)
        fraction = static_cast<uint16_t>(fraction * 10);
    return fraction;
}

bool string_to_date(const char *text, uint16_t length, internal_date *date)
{
    if (length == 0) {
        *date = internal_date{0, 0};
        return true;
    }
    struct tm now = read_clock();
    date_reading reading;
    switch (read_components(text, length, reading)) {
    case reading_end::bad_character:
        return date_error(text, length);
    case reading_end::keyword:
        return keyword_to_date(reading, text, length, now, date);
    case reading_end::components:
        break;
    }
    const struct tm asked = asked_time(reading, now);
    tdx__encode_date(&asked, date);
    if (!is_calendar_day(asked, date))
        return date_error(text, length);  // the date holds what was encoded
    date->time_of_day =
        static_cast<int32_t>(static_cast<uint32_t>(date->time_of_day) + fraction_units(reading));
    return true;
}

// ---- Dates as text and day numbers ----

// Forms the text of a date and stores it into the text field `desc` as text
// of that length, so that the field's own text rules cut or fill it.
void date_to_text(const internal_date *date, const value_desc *desc)
{
    struct tm decoded{};
    tdx__decode_date(date, &decoded);
    // A month outside 0 to 11 from the core gets no name read past the table.
    const char *month =
        decoded.tm_mon >= 0 && decoded.tm_mon < 12 ? months[decoded.tm_mon] : "";
    char text[date_text_size];
    int length = std::snprintf(text, sizeof text, "%2d-%.3s-%d", decoded.tm_mday, month,
                               decoded.tm_year + 1900);
    if (length >= 0 && length < date_text_size &&
        (decoded.tm_hour != 0 || decoded.tm_min != 0 || decoded.tm_sec != 0 ||
         date->time_of_day != 0)) {
        length += std::snprintf(text + length, sizeof text - static_cast<size_t>(length),
                                " %2d:%.2d:%.2d.%.4d", decoded.tm_hour, decoded.tm_min,
                                decoded.tm_sec, date->time_of_day % 10000);
    }
    if (length < 0)
        length = 0;
    if (length >= date_text_size)
        length = date_text_size - 1;  // snprintf cut it there
    xcvt_internal::store_text(text, static_cast<uint16_t>(length), desc);
}

}  // namespace

namespace xcvt_internal {

void move_date_into_text(const value_desc *from, const value_desc *to)
{
    internal_date date;
    std::memcpy(&date, from->address, sizeof date);
    date_to_text(&date, to);
}

bool move_text_into_date(const value_desc *from, const value_desc *to)
{
    char *text = nullptr;
    const uint16_t length = text_of(from, &text);
    return string_to_date(text, length, static_cast<internal_date *>(to->address));
}

}  // namespace xcvt_internal

extern "C" {

double XCVT_date_to_double(const value_desc *desc)
{
    internal_date date{0, 0};
    if (desc->dtype == dtype_date) {
        std::memcpy(&date, desc->address, sizeof date);
    } else {
        const value_desc local{dtype_date, 0, 8, 0, &date};
        if (!xcvt_internal::move_value(desc, &local))
            return 0.0;  // after a report that returned
    }
    return xcvt_internal::day_fraction(date.day_number, date.time_of_day);
}

void XCVT_double_to_date(double value, internal_date *date)
{
    const int32_t day_number = xcvt_internal::truncate_to_long(value);
    date->day_number = day_number;
    date->time_of_day =
        xcvt_internal::truncate_to_long(xcvt_internal::units_of_day(value, day_number));
}

}  // extern "C"
