// Parameter blocks and event blocks, built and released within one call.
#include <array>
#include <cstring>
#include <sstream>
#include <string>

#include "tdx_control.h"
#include "workloads.h"

namespace threads_test {

namespace {

// A builder moves a block that grows into a fresh buffer and leaves the old
// one to the caller, who releases it.
template <typename F>
void grow(char **dpb, F &&builder)
{
    char *const old = *dpb;
    builder();
    if (*dpb != old)
        tdx__free(old);
}

std::string block_text(const char *dpb, int16_t length)
{
    return dpb == nullptr ? "null" : hex(dpb, static_cast<size_t>(length));
}

}  // namespace

std::string parameter_blocks()
{
    std::ostringstream out;
    const int blocks_before = tdxc_live_blocks();

    char *dpb = nullptr;
    int16_t length = 0;
    grow(&dpb, [&] {
        mvt_expand_dpb(&dpb, &length, DPB_USER, "scott", 99, "passed over", DPB_PASSWORD,
                       "tiger", DPB_STRING_47, "sql_role", 0);
    });
    int32_t modified = 0;
    grow(&dpb, [&] { modified = mvt_modify_dpb(&dpb, &length, DPB_STRING_48, "a\0b", 3); });
    grow(&dpb, [&] { mvt_set_single_user(&dpb, &length, "Y"); });
    grow(&dpb, [&] { mvt_set_login(&dpb, &length); });
    out << "named: " << modified << ' ' << block_text(dpb, length) << '\n';

    // A value the length byte cannot carry is refused whole, and logged.
    const std::string too_long(DPB_MAX_VALUE_LENGTH + 1, 'v');
    grow(&dpb, [&] { mvt_expand_dpb(&dpb, &length, DPB_STRING_47, too_long.c_str(), 0); });
    out << "refused: " << block_text(dpb, length) << " log \"" << tdxc_last_log() << "\"\n";
    tdx__free(dpb);

    // From the environment.
    char *login = nullptr;
    int16_t login_length = 0;
    grow(&login, [&] { mvt_set_login(&login, &login_length); });
    grow(&login, [&] { mvt_set_single_user(&login, &login_length, "N"); });
    out << "login: " << block_text(login, login_length) << '\n';
    tdx__free(login);

    char name[] = "employee.fdb";
    std::array<char, 128> expanded{};
    const int32_t found = mvt_set_path(name, 0, expanded.data());
    out << "path: " << found << ' ' << expanded.data() << '\n';

    out << "blocks left: " << tdxc_live_blocks() - blocks_before << '\n';
    return out.str();
}

namespace {

// What the core does at a delivery: the result block is the event block with
// new counts, here a different one for each name.
void deliver(const char *event_block, char *result_block, int32_t length)
{
    std::memcpy(result_block, event_block, static_cast<size_t>(length));
    uint32_t count = 7;
    for (int32_t at = 1; at < length;) {
        at += 1 + static_cast<unsigned char>(result_block[at]);
        for (int b = 0; b < 4; ++b)
            result_block[at + b] = static_cast<char>(count >> (8 * b));
        count = count * 31 + 5;
        at += 4;
    }
}

void counts_after_delivery(std::ostringstream &out, char *event_block, char *result_block,
                           int32_t length, int names)
{
    if (event_block == nullptr) {
        out << "no block\n";
        return;
    }
    out << length << ' ' << hex(event_block, static_cast<size_t>(length));
    deliver(event_block, result_block, length);
    std::array<uint32_t, 8> counts{};
    tdx__event_counts(counts.data(), static_cast<uint16_t>(length), event_block, result_block);
    out << " counts";
    for (int i = 0; i < names; ++i)
        out << ' ' << counts[static_cast<size_t>(i)];
    out << " then " << hex(event_block, static_cast<size_t>(length)) << '\n';
    tdx__free(event_block);
    tdx__free(result_block);
}

// A name field of the array forms: EVENT_NAME_WIDTH bytes, blank-filled.
std::array<char, EVENT_NAME_WIDTH> name_field(const char *name)
{
    std::array<char, EVENT_NAME_WIDTH> field;
    field.fill(' ');
    std::memcpy(field.data(), name, std::strlen(name));
    return field;
}

}  // namespace

std::string event_blocks()
{
    std::ostringstream out;
    const int blocks_before = tdxc_live_blocks();

    char *event_block = nullptr;
    char *result_block = nullptr;
    int32_t length = tdx__event_block(&event_block, &result_block, 3, "ORDER_PLACED",
                                      "STOCK_LOW   ", "X");
    counts_after_delivery(out, event_block, result_block, length, 3);

    const std::array fields{name_field("ALPHA"), name_field("BETA GAMMA"), name_field("")};
    const std::array<const char *, 3> names{fields[0].data(), fields[1].data(), fields[2].data()};
    length = tdx__event_block_a(&event_block, &result_block, 3, names.data());
    counts_after_delivery(out, event_block, result_block, length, 3);
    uint16_t returned = 0;
    length = tdx__event_block_s(&event_block, &result_block, 2, names.data(), &returned);
    out << "returned " << returned << ": ";
    counts_after_delivery(out, event_block, result_block, length, 2);

    // A name over 255 bytes without its trailing blanks is refused.
    const std::string too_long(EVENT_NAME_MAX_LENGTH + 1, 'E');
    event_block = nullptr;
    length = tdx__event_block(&event_block, &result_block, 1, too_long.c_str());
    out << "refused: " << length << (event_block == nullptr ? " null" : " block") << '\n';

    out << "blocks left: " << tdxc_live_blocks() - blocks_before << '\n';
    return out.str();
}

}  // namespace threads_test
