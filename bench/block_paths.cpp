// Building blocks: a database parameter block with mvt_expand_dpb and an event
// block with tdx__event_block, against appending the same bytes to a
// std::vector<char>.
#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

#include "comparisons.h"
#include "dbutil.h"

namespace {

constexpr char user[] = "alice";
constexpr char password[] = "secret42";
constexpr char single_user[] = "exclusive";

void append_clump(std::vector<char> &block, int tag, const char *value)
{
    const size_t length = std::strlen(value);
    block.push_back(static_cast<char>(tag));
    block.push_back(static_cast<char>(length));
    block.insert(block.end(), value, value + length);
}

std::vector<char> dpb_peer_once()
{
    std::vector<char> block;
    block.push_back(DPB_VERSION);
    append_clump(block, DPB_USER, user);
    append_clump(block, DPB_PASSWORD, password);
    append_clump(block, DPB_SINGLE_USER, single_user);
    return block;
}

char *dpb_ours_once(int16_t *length)
{
    char *dpb = nullptr;
    *length = 0;
    mvt_expand_dpb(&dpb, length, DPB_USER, user, DPB_PASSWORD, password, DPB_SINGLE_USER,
                   single_user, 0);
    return dpb;
}

void dpb_ours(benchmark::State &state)
{
    for (auto _ : state) {
        int16_t length = 0;
        char *dpb = dpb_ours_once(&length);
        bench::keep(dpb);
        tdx__free(dpb);
    }
}

void dpb_peer(benchmark::State &state)
{
    for (auto _ : state)
        bench::keep(dpb_peer_once());
}

bool dpb_agrees()
{
    int16_t length = 0;
    char *dpb = dpb_ours_once(&length);
    const std::vector<char> peer = dpb_peer_once();
    const bool same = dpb != nullptr && static_cast<size_t>(length) == peer.size() &&
                      std::memcmp(dpb, peer.data(), peer.size()) == 0;
    tdx__free(dpb);
    return same;
}

constexpr std::array<const char *, 10> events{
    "ORDER_PLACED", "ORDER_PAID",   "ORDER_SHIPPED", "STOCK_LOW",  "STOCK_REFILLED",
    "PRICE_CHANGED", "USER_JOINED", "USER_LEFT",     "BACKUP_DONE", "NIGHTLY_RUN"};

int32_t events_ours_once(char **event_block, char **result_block)
{
    return tdx__event_block(event_block, result_block, 10, events[0], events[1], events[2],
                            events[3], events[4], events[5], events[6], events[7], events[8],
                            events[9]);
}

std::vector<char> events_peer_once()
{
    std::vector<char> block;
    block.push_back(EVENT_BLOCK_VERSION);
    for (const char *name : events) {
        const size_t length = std::strlen(name);
        block.push_back(static_cast<char>(length));
        block.insert(block.end(), name, name + length);
        block.insert(block.end(), 4, '\0');
    }
    return block;
}

void events_ours(benchmark::State &state)
{
    for (auto _ : state) {
        char *event_block = nullptr;
        char *result_block = nullptr;
        bench::keep(events_ours_once(&event_block, &result_block));
        tdx__free(event_block);
        tdx__free(result_block);
    }
}

void events_peer(benchmark::State &state)
{
    for (auto _ : state)
        bench::keep(events_peer_once());
}

bool events_agree()
{
    char *event_block = nullptr;
    char *result_block = nullptr;
    const int32_t length = events_ours_once(&event_block, &result_block);
    const std::vector<char> peer = events_peer_once();
    const bool same = event_block != nullptr && static_cast<size_t>(length) == peer.size() &&
                      std::memcmp(event_block, peer.data(), peer.size()) == 0;
    tdx__free(event_block);
    tdx__free(result_block);
    return same;
}

[[maybe_unused]] const bool registered = [] {
    bench::compare("expand_dpb", 0, dpb_ours, dpb_peer, dpb_agrees);
    bench::compare("event_block", 0, events_ours, events_peer, events_agree);
    return true;
}();

}  // namespace
