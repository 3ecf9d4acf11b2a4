// Text of any bytes read as a number by the two parsers and moved into
// integer and text fields; the text sits in a buffer of exactly its length.
#include <cstdlib>
#include <cstring>

#include "forms.h"
#include "fuzz_target.h"
#include "reports.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const size_t length = size > 40000 ? 40000 : size;
    char *text = static_cast<char *>(std::malloc(length > 0 ? length : 1));
    if (length > 0)
        std::memcpy(text, data, length);
    const uint16_t count = static_cast<uint16_t>(length);
    value_desc from{dtype_fixed_string, 0, count, 0, text};

    int32_t mantissa = 0;
    forms_core::run_until_report([&] { XCVT_decompose(text, count, &mantissa); });
    forms_core::run_until_report([&] { XCVT_get_double(&from); });

    int16_t small = 0;
    int32_t word = 0;
    const int8_t scale = length > 0 ? static_cast<int8_t>(data[0] % 9 - 4) : 0;
    value_desc short_field{dtype_short_integer, scale, 2, 0, &small};
    value_desc long_field{dtype_long_integer, scale, 4, 0, &word};
    forms_core::run_until_report([&] { XCVT_move(&from, &short_field); });
    forms_core::run_until_report([&] { XCVT_move(&from, &long_field); });

    // And back: the number into text fields of every kind and a small size.
    char out[16];
    const uint16_t out_length = length > 1 ? static_cast<uint16_t>(data[1] % sizeof out) : 0;
    for (uint8_t kind : {dtype_fixed_string, dtype_terminated_string, dtype_varying_string}) {
        value_desc text_field{kind, 0, out_length, 2, out};
        forms_core::run_until_report([&] { XCVT_move(&long_field, &text_field); });
    }
    std::free(text);
    return 0;
}
