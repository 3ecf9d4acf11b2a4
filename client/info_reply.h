// Info replies of the client core: clumps of an item byte, a 2-byte length
// (least significant byte first) and a value, read in place in the caller's
// reply area. Every walk of a reply reads its clumps here and keeps its own
// rules: how the length is taken, which items it accepts and when, and what
// ends it. Internal to dbutil.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dbutil {

// How a walk takes a clump's 2-byte length.
enum class length_rule {
    signed_count,    // a negative length is damage
    unsigned_count,  // 0 to 65535
};

// A reply area and the position of the next clump's item byte in it.
struct info_reader {
    const unsigned char *reply;
    size_t area;
    size_t at = 0;
};

// A clump's value, inside the reply area.
struct info_value {
    const unsigned char *bytes = nullptr;
    size_t length = 0;
};

// The item byte at the reader's position; false once the position has left
// the area. Reads no length, so a walk may refuse an item before asking the
// core for its length.
bool next_item(const info_reader &reader, unsigned char *item);

// Reads the clump at the reader's position: its length through
// tdx__vax_integer, taken by `rule`, and where its value lies; then moves
// past the value. False, with the position unchanged, when the length bytes
// lie past the area (nothing is read) or the value would run past it or a
// signed length is negative (the length has been read).
bool read_clump(info_reader &reader, length_rule rule, info_value *value);

}  // namespace dbutil
