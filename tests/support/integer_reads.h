// Records every tdx__vax_integer call made by the library under test, so that
// tests see which bytes were read as integers and in what order.
#pragma once

#include <cstdint>
#include <vector>

namespace integer_reads {

struct Read {
    const unsigned char *bytes;
    int16_t length;
    bool operator==(const Read &) const = default;
};

// Reads since the last clear, in call order.
const std::vector<Read> &reads();
void clear();

}  // namespace integer_reads
