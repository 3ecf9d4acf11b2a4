// The value mover from every kind into every kind, dates among them, and the
// numeric extraction. The sources are shared by all threads, which only read
// them; each call writes a destination of its own.
//
// Only the calls that come back are made. A report of the stand-in forms core
// throws, and the throw passes through the mover, which is built without
// exception support: ThreadSanitizer's record of each thread's calls then
// keeps the frames the throw left, and grows with every report until the run
// crawls. The reports are the xcvt tests' matter; here the first run, in one
// thread, finds which calls end in one and leaves them out of every run.
#include <array>
#include <cstdio>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "fields.h"
#include "workloads.h"

namespace threads_test {

namespace {

using xcvt_test::field;

// One call and what it gave, as text.
struct step {
    std::string label;
    std::function<std::string()> run;
};

std::vector<step> coming_back(std::vector<step> all)
{
    std::vector<step> kept;
    for (step &s : all)
        if (!forms_core::run_until_report([&] { (void)s.run(); }))
            kept.push_back(std::move(s));
    return kept;
}

std::string run_steps(const std::vector<step> &steps)
{
    std::ostringstream out;
    for (const step &s : steps) {
        std::string result;
        // A report where the first run had none is a difference, not a crash.
        const auto report = forms_core::run_until_report([&] { result = s.run(); });
        out << s.label << ' ' << (report ? "report " + report->message : result) << '\n';
    }
    return out.str();
}

// Texts of each text kind: numbers, dates in a few forms, and text that is neither.
constexpr std::array<std::string_view, 6> texts = {
    "42", "-1234.5678", "17-MAR-1995 10:30:15.5", "March 17, 1995", "3/17/95", "x1",
};

std::vector<std::unique_ptr<field>> make_sources()
{
    std::vector<std::unique_ptr<field>> all;
    const auto add = [&](uint8_t dtype, int8_t scale, uint16_t length) -> field & {
        return *all.emplace_back(std::make_unique<field>(dtype, scale, length));
    };
    for (std::string_view text : texts) {
        xcvt_test::fill_fixed(add(0, 0, 0), text);
        xcvt_test::fill_terminated(add(0, 0, 0), text, 40);
        xcvt_test::fill_varying(add(0, 0, 0), text);
    }
    add(dtype_short_integer, -2, 2).put(int16_t{-1234});
    add(dtype_short_integer, 1, 2).put(int16_t{5});
    add(dtype_long_integer, -3, 4).put(int32_t{123456789});
    add(dtype_long_integer, 0, 4).put(int32_t{-42});
    add(dtype_quadword_integer, 0, 8).put(uint64_t{0x0102030405060708});
    add(dtype_single_float, 0, 4).put(3.25f);
    add(dtype_single_float, 0, 4).put(-1e10f);
    add(dtype_double_float, 0, 8).put(2.5e-3);
    add(dtype_double_float, 0, 8).put(-98765.4321);
    add(dtype_date, 0, 8).put(internal_date{49000, 378155000});
    add(dtype_date, 0, 8).put(internal_date{-1, 0});
    add(dtype_blob, 0, 8).put(uint64_t{0x7B00000001});
    add(dtype_double_float_alt, 0, 8).put(1.0);
    return all;
}

// Made by the first run, before the threads start; only read after.
const std::vector<std::unique_ptr<field>> &sources()
{
    static const auto shared = make_sources();
    return shared;
}

// Each kind of destination, as a field of that kind is usually laid out.
struct shape {
    uint8_t dtype;
    int8_t scale;
    uint16_t length;
};
constexpr std::array<shape, 13> destinations = {{
    {dtype_fixed_string, 0, 24}, {dtype_terminated_string, 0, 24}, {dtype_varying_string, 0, 26},
    {dtype_short_integer, 0, 2}, {dtype_short_integer, -1, 2}, {dtype_long_integer, 0, 4},
    {dtype_long_integer, -2, 4}, {dtype_quadword_integer, 0, 8}, {dtype_single_float, 0, 4},
    {dtype_double_float, 0, 8}, {dtype_date, 0, 8}, {dtype_blob, 0, 8},
    {dtype_double_float_alt, 0, 8},
}};

// The destination's bytes and two beyond, which must stay as they were.
constexpr size_t beyond = 2;

std::string label_of(size_t source, const char *what)
{
    return "source " + std::to_string(source) + ' ' + what;
}

std::vector<step> moves()
{
    std::vector<step> all;
    for (size_t i = 0; i < sources().size(); ++i)
        for (const shape &to_shape : destinations) {
            const value_desc from = sources()[i]->desc();
            all.push_back({label_of(i, "into kind ") + std::to_string(to_shape.dtype), [=] {
                               field to(to_shape.dtype, to_shape.scale, to_shape.length);
                               const value_desc t = to.desc();
                               XCVT_move(&from, &t);
                               return hex(to.bytes, to.length + beyond);
                           }});
        }
    return all;
}

// Doubles as C99 hexadecimal text: exact, whatever the locale.
std::string exact(double value)
{
    std::array<char, 40> text{};
    std::snprintf(text.data(), text.size(), "%a", value);
    return text.data();
}

std::vector<step> extractions()
{
    std::vector<step> all;
    for (size_t i = 0; i < sources().size(); ++i) {
        const value_desc from = sources()[i]->desc();
        for (int16_t scale : {0, -2, 3})
            all.push_back({label_of(i, "long at ") + std::to_string(scale),
                           [=] { return std::to_string(XCVT_get_long(&from, scale)); }});
        all.push_back({label_of(i, "double"), [=] { return exact(XCVT_get_double(&from)); }});
        all.push_back({label_of(i, "date"), [=] {
                           const double day = XCVT_date_to_double(&from);
                           internal_date date{};
                           XCVT_double_to_date(day, &date);
                           return exact(day) + ' ' + std::to_string(date.day_number) + '/' +
                                  std::to_string(date.time_of_day);
                       }});
    }
    for (std::string_view text : {"12.5", "-0.0031", " 7 ", "1.5e3", "12x", ""})
        all.push_back({"decompose \"" + std::string(text) + '"', [=] {
                           int32_t mantissa = 0;
                           const int16_t power = XCVT_decompose(
                               text.data(), static_cast<uint16_t>(text.size()), &mantissa);
                           return std::to_string(mantissa) + 'e' + std::to_string(power);
                       }});
    return all;
}

}  // namespace

std::string value_moves()
{
    static const std::vector<step> steps = coming_back(moves());
    return run_steps(steps);
}

std::string numeric_extraction()
{
    static const std::vector<step> steps = coming_back(extractions());
    return run_steps(steps);
}

}  // namespace threads_test
