// A C++ program built against an installed tree only: the headers in a C++
// unit, a move of a scaled integer into text. Exits 0 when every step behaved.
#include <cstdio>
#include <string>

#include <morvanta/dbutil.h>
#include <morvanta/forms.h>

int main()
{
    int failures = 0;
    auto check = [&failures](bool ok, const char *what) {
        if (!ok) {
            std::printf("FAILED: %s\n", what);
            ++failures;
        }
    };

    check(std::string(MORVANTA_VERSION_STRING) == EXPECTED_VERSION, "version string");

    int32_t amount = -1234;
    char text[8] = {};
    const value_desc from{dtype_long_integer, -2, sizeof amount, 0, &amount};
    const value_desc to{dtype_fixed_string, 0, sizeof text - 1, 0, text};
    XCVT_move(&from, &to);
    check(std::string(text) == "-12.34 ", "scaled integer as text");
    check(XCVT_get_long(&from, 0) == -12, "scaled integer as long");

    if (failures == 0)
        std::printf("c++ program: all steps passed\n");
    return failures == 0 ? 0 : 1;
}
