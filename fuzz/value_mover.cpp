// XCVT_move between descriptors of any kinds, scales and lengths decoded
// from the input; most inputs move text into numbers and dates. Source and
// destination sit in heap buffers of exactly their lengths. Every input runs
// twice: once with a forms core whose reports end the move and come back
// here, once with one whose reports return to the mover, which must then stop
// without reading or writing past any area.
#include <cstdlib>
#include <cstring>

#include "forms.h"
#include "fuzz_input.h"
#include "fuzz_target.h"
#include "reports.h"

namespace {

// Every datatype code, and a few the mover has no code for.
constexpr uint8_t kinds[] = {
    dtype_fixed_string, dtype_terminated_string, dtype_varying_string, dtype_short_integer,
    dtype_long_integer, dtype_quadword_integer,  dtype_single_float,   dtype_double_float,
    dtype_date,         dtype_blob,              dtype_double_float_alt, 0, 11, 13, 255,
};

bool is_text(uint8_t kind)
{
    return kind == dtype_fixed_string || kind == dtype_terminated_string ||
           kind == dtype_varying_string;
}

// The storage size of a kind whose length the mover does not read.
uint16_t natural_length(uint8_t kind, uint16_t asked)
{
    switch (kind) {
    case dtype_short_integer: return 2;
    case dtype_long_integer:
    case dtype_single_float: return 4;
    case dtype_quadword_integer:
    case dtype_double_float:
    case dtype_date:
    case dtype_blob: return 8;
    default: return asked;
    }
}

struct fuzz_field {
    value_desc desc;
    char *storage;
};

fuzz_field make_field(fuzz_input::Input &in, uint8_t kind, size_t limit)
{
    const int8_t scale = static_cast<int8_t>(static_cast<int>(in.byte() % 21) - 10);
    uint16_t length = static_cast<uint16_t>(in.word() % limit);
    length = natural_length(kind, length);
    char *storage = fuzz_input::exact_copy(in.bytes(length), length);
    return fuzz_field{value_desc{kind, scale, length, static_cast<int16_t>(in.byte() % 3), storage}, storage};
}

// The move, the source as text and as a day number, and a move back where
// one side is text.
void exercise(const value_desc &from, const value_desc &to, char *buffer, uint16_t buffer_length)
{
    forms_core::run_until_report([&] { XCVT_move(&from, &to); });
    char *text = nullptr;
    forms_core::run_until_report([&] {
        const uint16_t length = XCVT_get_string(&from, &text, buffer, buffer_length);
        // The text must lie wholly inside the source or the buffer.
        const char *begin = text;
        volatile char sink = 0;
        for (uint16_t i = 0; i < length; ++i)
            sink = static_cast<char>(sink + begin[i]);
        (void)sink;
    });
    forms_core::run_until_report([&] { XCVT_date_to_double(&from); });
    if (is_text(to.dtype) || is_text(from.dtype))
        forms_core::run_until_report([&] { XCVT_move(&to, &from); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz_input::Input in{data, size};
    const unsigned mode = in.choice(4);
    uint8_t from_kind, to_kind;
    if (mode < 3) {  // text into a number or a date
        from_kind = static_cast<uint8_t>(dtype_fixed_string + in.choice(3));
        const uint8_t targets[] = {dtype_short_integer, dtype_long_integer, dtype_single_float,
                                   dtype_double_float,  dtype_date,         dtype_fixed_string};
        to_kind = targets[in.choice(sizeof targets)];
    } else {
        from_kind = kinds[in.choice(sizeof kinds)];
        to_kind = kinds[in.choice(sizeof kinds)];
    }
    fuzz_field to = make_field(in, to_kind, 64);
    fuzz_field from = make_field(in, from_kind, 512);
    // The source is also read as text through a buffer of a decoded size.
    const uint16_t buffer_length = static_cast<uint16_t>(in.byte() % 48);
    char *buffer = fuzz_input::exact_copy("", buffer_length);
    for (const auto reports : {forms_core::report_mode::throws, forms_core::report_mode::returns}) {
        forms_core::set_report_mode(reports);
        exercise(from.desc, to.desc, buffer, buffer_length);
    }
    forms_core::set_report_mode(forms_core::report_mode::throws);
    forms_core::take_reports();
    std::free(buffer);
    std::free(from.storage);
    std::free(to.storage);
    return 0;
}
