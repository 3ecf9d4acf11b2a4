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

constexpr int component_count = 7;
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
    std::snprintf(message, sizeof message, "Error converting string \"%.*s\" to date", shown,
                  text);
    return xcvt_internal::report_error(message);
}

void now_to_date(const struct tm *now, internal_date *date)
{
    tdx__encode_date(now, date);
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

bool is_word(const char *word, const char *keyword)
{
    return std::strcmp(word, keyword) == 0;
}

// A word that is no month name ends the parse wherever it stands.
bool keyword_to_date(const char *word, const char *text, uint16_t length,
                     uint16_t position, struct tm *now, internal_date *date)
{
    for (uint16_t i = position; i < length; ++i) {
        if (text[i] != ' ' && text[i] != '\t' && text[i] != '\0')
            return date_error(text, length);
    }
    if (is_word(word, "NOW")) {
        now_to_date(now, date);
        return true;
    }
    now->tm_sec = 0;
    now->tm_min = 0;
    now->tm_hour = 0;
    tdx__encode_date(now, date);
    if (is_word(word, "TODAY"))
        return true;
    if (is_word(word, "TOMORROW")) {
        date->day_number = static_cast<int32_t>(static_cast<uint32_t>(date->day_number) + 1u);
        return true;
    }
    if (is_word(word, "YESTERDAY")) {
        date->day_number = static_cast<int32_t>(static_cast<uint32_t>(date->day_number) - 1u);
        return true;
    }
    return date_error(text, length);  // the date holds today at midnight
}

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

bool string_to_date(const char *text, uint16_t length, internal_date *date)
{
    if (length == 0) {
        *date = internal_date{0, 0};
        return true;
    }
    // Work on a copy, so that clearing the time of day for the words does
    // not change the record that localtime shares with the rest of the
    // process.
    const time_t clock = time(nullptr);
    struct tm now{};
    if (const struct tm *shared = localtime(&clock))
        now = *shared;

    std::array<uint16_t, component_count> component{};
    int i = 0;
    int order = 0;  // non-zero: day first
    bool year_given = false;
    int last_digit_count = 0;
    uint16_t position = 0;
    while (i < component_count) {
        while (position < length && text[position] == ' ')
            ++position;
        if (position == length)
            break;
        const char c = upper(text[position]);
        if (is_digit(c)) {
            uint16_t number = 0;
            int digit_count = 0;
            for (; position < length && is_digit(text[position]); ++position, ++digit_count)
                number = static_cast<uint16_t>(number * 10 + (text[position] - '0'));
            last_digit_count = digit_count;
            if (i == 2)
                year_given = true;
            component[i] = number;
        } else if (is_letter(c)) {
            // Letters past the fifteenth are read but not kept: no month name
            // or word is that long, so such a word is simply unknown.
            char word[word_letters + 1];
            int letters = 0;
            for (; position < length && is_letter(text[position]); ++position) {
                if (letters < word_letters)
                    word[letters++] = upper(text[position]);
            }
            word[letters] = '\0';
            const int month = month_of(word, static_cast<size_t>(letters));
            if (month == 0)
                return keyword_to_date(word, text, length, position, &now, date);
            component[i] = static_cast<uint16_t>(month);
            order = i;
        } else {
            return date_error(text, length);
        }

        while (position < length && text[position] == ' ')
            ++position;
        if (position < length) {
            const char separator = text[position];
            if (separator == '/' || separator == ',' || separator == '-' || separator == ':') {
                ++position;
            } else if (separator == '.') {
                ++position;
                if (order == 0 && (i == 0 || i == 1))
                    order = 1;
            }
        }
        ++i;
    }

    const int day = order != 0 ? component[0] : component[1];
    const int month = order != 0 ? component[1] : component[0];
    const int32_t year = full_year(component[2], year_given, now);

    struct tm asked{};
    asked.tm_year = year - 1900;
    asked.tm_mon = month - 1;
    asked.tm_mday = day;
    asked.tm_hour = component[3];
    asked.tm_min = component[4];
    asked.tm_sec = component[5];
    tdx__encode_date(&asked, date);
    struct tm decoded{};
    tdx__decode_date(date, &decoded);
    if (decoded.tm_year != asked.tm_year || decoded.tm_mon != asked.tm_mon ||
        decoded.tm_mday != asked.tm_mday)
        return date_error(text, length);  // the date holds what was encoded

    // The last number read gives the fraction's digits: ".5" is 5000.
    uint16_t fraction = component[6];
    for (int d = last_digit_count; d < 4; ++d)
        fraction = static_cast<uint16_t>(fraction * 10);
    date->time_of_day =
        static_cast<int32_t>(static_cast<uint32_t>(date->time_of_day) + fraction);
    return true;
}

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
