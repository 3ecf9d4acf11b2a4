// XCVT_move between descriptors of any kinds, scales and lengths decoded
// from the input; most inputs move text into numbers and dates. Source and
// destination sit in heap buffers of exactly their lengths. A report of the
// forms core ends the move and comes back here.
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

struct Field {
    value_desc desc;
    char *storage;
};

Field make_field(fuzz_input::Input &in, uint8_t kind, size_t limit)
{
    const int8_t scale = static_cast<int8_t>(static_cast<int>(in.byte() % 21) - 10);
    uint16_t length = static_cast<uint16_t>(in.word() % limit);
    length = natural_length(kind, length);
    char *storage = fuzz_input::exact_copy(in.bytes(length), length);
    return Field{value_desc{kind, scale, length, static_cast<int16_t>(in.byte() % 3), storage}, storage};
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
    Field to = make_field(in, to_kind, 64);
    Field from = make_field(in, from_kind, 512);
    forms_core::run_until_report([&] { XCVT_move(&from.desc, &to.desc); });

    // The source read as text through a buffer of a decoded size, and as a
    // day number.
    const uint16_t buffer_length = static_cast<uint16_t>(in.byte() % 48);
    char *buffer = fuzz_input::exact_copy("", buffer_length);
    char *text = nullptr;
    forms_core::run_until_report([&] {
        const uint16_t length = XCVT_get_string(&from.desc, &text, buffer, buffer_length);
        // The text must lie wholly inside the source or the buffer.
        const char *begin = text;
        volatile char sink = 0;
        for (uint16_t i = 0; i < length; ++i)
            sink = static_cast<char>(sink + begin[i]);
        (void)sink;
    });
    forms_core::run_until_report([&] { XCVT_date_to_double(&from.desc); });
    if (is_text(to_kind) || is_text(from_kind))
        forms_core::run_until_report([&] { XCVT_move(&to.desc, &from.desc); });
    std::free(buffer);
    std::free(from.storage);
    std::free(to.storage);
    return 0;
}
