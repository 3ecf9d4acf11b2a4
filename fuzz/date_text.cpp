// Text of any bytes moved into a date field, and the date back into text
// fields; the text sits in a buffer of exactly its length.
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
    value_desc from{dtype_fixed_string, 0, static_cast<uint16_t>(length), 0, text};
    internal_date date{};
    value_desc date_field{dtype_date, 0, 8, 0, &date};
    if (forms_core::run_until_report([&] { XCVT_move(&from, &date_field); }))
        date = internal_date{};

    char out[40];
    for (uint16_t out_length : {0, 1, 2, 11, 36, 40}) {
        value_desc text_field{dtype_terminated_string, 0, out_length, 2, out};
        forms_core::run_until_report([&] { XCVT_move(&date_field, &text_field); });
    }
    forms_core::run_until_report([&] { XCVT_date_to_double(&from); });

    // The first eight bytes as a stored date, whatever day and time they hold.
    if (length >= sizeof date) {
        std::memcpy(&date, data, sizeof date);
        value_desc text_field{dtype_fixed_string, 0, sizeof out, 2, out};
        forms_core::run_until_report([&] { XCVT_move(&date_field, &text_field); });
    }
    std::free(text);
    return 0;
}
