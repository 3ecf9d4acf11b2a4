// The pieces of work each thread of the threads test repeats. Each one makes
// its own blocks, blobs and fields, releases them, and returns what it saw as
// text, so that a run in one thread and runs in many can be compared.
#pragma once

#include <cstddef>
#include <string>

namespace threads_test {

// Parameter blocks built, extended and refused; MVT_USER, MVT_PASSWORD and
// MVT_PATH must be set before any thread starts.
std::string parameter_blocks();
// Event blocks of each builder, and the counts after a delivery.
std::string event_blocks();
// Blobs written and read through streams of their own, and their sizes.
std::string blob_streams();
// XCVT_move from sources of every kind into fields of every kind.
std::string value_moves();
// XCVT_get_long, XCVT_get_double, XCVT_decompose and the date as a number.
std::string numeric_extraction();
// NORIX_print and NORIX_print_screen on shared records, as this thread's
// printers wrote them.
std::string printer_output();
// The same printing, to the standard output.
void print_fixtures();

// Bytes as two hexadecimal digits each.
std::string hex(const void *bytes, std::size_t count);

}  // namespace threads_test
