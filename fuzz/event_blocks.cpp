// The event-block builders on decoded names, with the nth allocation made to
// fail, then tdx__event_counts on the pair with new counts written into the
// result block. The counts must be the differences, the event block must
// equal the result block afterwards, and no block may be left allocated.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dbutil.h"
#include "fuzz_input.h"
#include "fuzz_target.h"
#include "tdx_control.h"

namespace {

constexpr unsigned max_names = 6;

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "event_blocks: %s\n", what);
    std::abort();
}

// Builds with the zero-terminated form; the variable list takes up to
// max_names names.
int32_t build_terminated(char **events, char **results, const std::vector<char *> &names)
{
    const auto n = static_cast<int16_t>(names.size());
    char *const *p = names.data();
    switch (names.size()) {
    case 0: return tdx__event_block(events, results, n);
    case 1: return tdx__event_block(events, results, n, p[0]);
    case 2: return tdx__event_block(events, results, n, p[0], p[1]);
    case 3: return tdx__event_block(events, results, n, p[0], p[1], p[2]);
    case 4: return tdx__event_block(events, results, n, p[0], p[1], p[2], p[3]);
    case 5: return tdx__event_block(events, results, n, p[0], p[1], p[2], p[3], p[4]);
    default: return tdx__event_block(events, results, n, p[0], p[1], p[2], p[3], p[4], p[5]);
    }
}

uint32_t count_at(const char *at)
{
    return static_cast<uint32_t>(tdx__vax_integer(reinterpret_cast<const unsigned char *>(at), 4));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    tdxc_reset();
    fuzz_input::Input in{data, size};
    const unsigned form = in.choice(3);
    tdxc_fail(TDXC_ALLOC, in.byte() % 4);
    const unsigned count = in.choice(max_names + 1);

    std::vector<char *> names;
    for (unsigned i = 0; i < count; ++i) {
        std::string name = in.bytes(in.byte());
        // Trailing blanks now and then, which the builders drop.
        name.append(in.choice(4), ' ');
        if (form == 0) {
            const size_t nul = name.find('\0');
            names.push_back(fuzz_input::terminated_copy(nul == std::string::npos ? name : name.substr(0, nul)));
        } else {
            // A field of exactly EVENT_NAME_WIDTH bytes, blank-padded.
            name.resize(EVENT_NAME_WIDTH, ' ');
            names.push_back(fuzz_input::exact_copy(name, EVENT_NAME_WIDTH));
        }
    }

    char *events = nullptr;
    char *results = nullptr;
    uint32_t length = 0;
    uint16_t stored = 0xFFFF;
    switch (form) {
    case 0: length = static_cast<uint32_t>(build_terminated(&events, &results, names)); break;
    case 1: length = tdx__event_block_a(&events, &results, static_cast<int16_t>(count), names.data()); break;
    default:
        length = tdx__event_block_s(&events, &results, static_cast<int16_t>(count), names.data(), &stored);
        if (stored != length)
            fail("the stored length differs from the result");
        break;
    }
    for (char *name : names)
        std::free(name);

    if (length == 0) {
        if (events != nullptr)
            fail("a failed build left an event block");
    } else {
        if (events == nullptr || results == nullptr || length > 0xFFFF)
            fail("a build gave a length without blocks");
        // The result block: the event block with new counts.
        std::memcpy(results, events, length);
        std::vector<uint32_t> expected;
        for (size_t at = 1; at < length;) {
            const size_t n = static_cast<unsigned char>(events[at]);
            at += 1 + n;
            if (at + 4 > length)
                fail("a name record runs past the block");
            const uint32_t bump = in.long_word();
            const uint32_t fresh = count_at(events + at) + bump;
            for (int b = 0; b < 4; ++b)
                results[at + b] = static_cast<char>(fresh >> (8 * b));
            expected.push_back(bump);
            at += 4;
        }
        if (expected.size() != count)
            fail("the block does not hold one record per name");
        // Exactly one word per name: a word written past them shows.
        auto *vector = static_cast<uint32_t *>(std::malloc((count > 0 ? count : 1) * sizeof(uint32_t)));
        tdx__event_counts(vector, static_cast<uint16_t>(length), events, results);
        for (unsigned i = 0; i < count; ++i)
            if (vector[i] != expected[i])
                fail("a count is not the difference");
        if (std::memcmp(events, results, length) != 0)
            fail("the event block did not take the new counts");
        std::free(vector);
    }
    tdx__free(events);
    tdx__free(results);
    if (tdxc_live_blocks() != 0)
        fail("blocks left allocated");
    return 0;
}
