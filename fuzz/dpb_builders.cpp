// The parameter-block builders called in a decoded sequence on one block,
// with the nth allocation of the run made to fail. Every buffer a builder
// returns belongs to the caller: the harness keeps each one and releases
// them all at the end, after which no block of the core may be left.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <iterator>
#include <vector>

#include "dbutil.h"
#include "fuzz_input.h"
#include "fuzz_target.h"
#include "tdx_control.h"

namespace {

constexpr int tags[] = {1, 19, 28, 29, 30, 47, 48, 49, 53, 0x11C, -1};

void set_or_unset(const char *variable, fuzz_input::Input &in)
{
    if (in.choice(3) == 0)
        ::unsetenv(variable);
    else
        ::setenv(variable, in.text().c_str(), 1);
}

// Reads every byte the block claims, so that a length past its buffer shows.
void check_block(const char *block, int16_t length)
{
    if (length < 0 || (block == nullptr && length != 0))
        std::abort();
    volatile unsigned sum = 0;
    for (int16_t i = 0; i < length; ++i)
        sum = sum + static_cast<unsigned char>(block[i]);
    (void)sum;
}

// A string for a builder, or null; each is a heap copy of exactly its size.
struct Strings {
    std::vector<char *> held;
    const char *next(fuzz_input::Input &in)
    {
        if (in.choice(5) == 0)
            return nullptr;
        held.push_back(fuzz_input::terminated_copy(in.text()));
        return held.back();
    }
    ~Strings()
    {
        for (char *s : held)
            std::free(s);
    }
};

void set_path(fuzz_input::Input &in)
{
    set_or_unset("MVT_PATH", in);
    std::string name = in.text();
    const uint16_t cut = static_cast<uint16_t>(in.choice(4) == 0 ? 0 : in.byte());
    // The name buffer holds the name and its zero, and cut + 1 bytes.
    const size_t room = std::max(name.size() + 1, static_cast<size_t>(cut) + 1);
    char *buffer = fuzz_input::exact_copy(name, room);
    const char *path = std::getenv("MVT_PATH");
    char *out = fuzz_input::exact_copy("", (path ? std::strlen(path) : 0) + name.size() + 1);
    mvt_set_path(buffer, cut, out);
    std::free(out);
    std::free(buffer);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    tdxc_reset();
    fuzz_input::Input in{data, size};
    // Fail one allocation (0: none), or all from the nth on.
    const int nth = in.byte() % 12;
    if (in.byte() & 1)
        tdxc_fail_from(TDXC_ALLOC, nth);
    else
        tdxc_fail(TDXC_ALLOC, nth);

    // The block starts empty or in an array of the caller's own.
    std::string own = in.choice(2) ? in.bytes(in.byte()) : std::string();
    char *own_array = own.empty() ? nullptr : fuzz_input::exact_copy(own, own.size());
    char *dpb = own_array;
    int16_t dpb_length = static_cast<int16_t>(own.size());
    std::vector<char *> returned;
    Strings strings;

    for (int step = 0; step < 12 && !in.empty(); ++step) {
        char *before = dpb;
        switch (in.choice(6)) {
        case 0: {
            const int tag = tags[in.choice(std::size(tags))];
            const std::string value = in.bytes(in.byte());
            char *copy = in.choice(6) == 0 ? nullptr : fuzz_input::exact_copy(value, value.size());
            // Mostly the value's own length; sometimes one out of range.
            int16_t length = static_cast<int16_t>(value.size());
            if (in.choice(8) == 0)
                length = static_cast<int16_t>(in.word());
            if (length > static_cast<int16_t>(value.size()) && copy != nullptr)
                length = static_cast<int16_t>(value.size());
            mvt_modify_dpb(&dpb, &dpb_length, tag, copy, length);
            std::free(copy);
            break;
        }
        case 1:
            set_or_unset("MVT_USER", in);
            set_or_unset("MVT_PASSWORD", in);
            mvt_set_login(&dpb, &dpb_length);
            break;
        case 2:
            mvt_set_single_user(&dpb, &dpb_length, strings.next(in));
            break;
        case 3: {
            const int tag1 = tags[in.choice(std::size(tags))], tag2 = tags[in.choice(std::size(tags))];
            const char *v1 = strings.next(in), *v2 = strings.next(in);
            mvt_expand_dpb(&dpb, &dpb_length, tag1, v1, tag2, v2, 0);
            break;
        }
        case 4:
            mvt_expand_dpb(&dpb, &dpb_length, 0);
            break;
        default:
            set_path(in);
            break;
        }
        check_block(dpb, dpb_length);
        if (dpb != before)
            returned.push_back(dpb);
    }
    for (char *block : returned)
        tdx__free(block);
    std::free(own_array);
    if (tdxc_live_blocks() != 0) {
        std::fprintf(stderr, "dpb_builders: %d blocks left allocated\n", tdxc_live_blocks());
        std::abort();
    }
    return 0;
}
