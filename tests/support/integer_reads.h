// Records every tdx__vax_integer call made by the library under test, so that
// tests see which bytes were read as integers and in what order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
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

// A read of an info reply: its offset in the reply area and its length.
using AreaRead = std::pair<ptrdiff_t, int16_t>;

// The reads since the last clear, each placed in the reply area they all lie
// in: the first is the first clump's length, which lies at offset 1.
std::vector<AreaRead> reads_in_area();

}  // namespace integer_reads
