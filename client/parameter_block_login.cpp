// Login and single-user clumps from the environment, added only when the
// block does not carry them already.
#include <cstdlib>

#include "dbutil.h"

namespace {

struct carried {
    bool user = false;
    bool password = false;
    bool single_user = false;
};

// Steps from clump to clump by the length bytes, so value bytes are never
// taken for tags. A tag in the last byte, or a length that runs past the end,
// still counts as carried, but nothing beyond the block is read.
carried carried_tags(const char *dpb, int16_t dpb_length)
{
    carried found;
    if (dpb == nullptr || dpb_length <= 0)
        return found;
    const auto *bytes = reinterpret_cast<const unsigned char *>(dpb);
    const int32_t end = dpb_length;
    int32_t at = 0;
    while (at < end) {
        const unsigned char tag = bytes[at];
        if (tag == DPB_VERSION) {
            ++at;
            continue;
        }
        found.user = found.user || tag == DPB_USER || tag == DPB_USER_ALT;
        found.password = found.password || tag == DPB_PASSWORD || tag == DPB_PASSWORD_ALT;
        found.single_user = found.single_user || tag == DPB_SINGLE_USER;
        if (at + 1 >= end)
            break;
        at += 2 + bytes[at + 1];
    }
    return found;
}

}  // namespace

extern "C" void mvt_set_login(char **dpb, int16_t *dpb_length)
{
    const char *user = std::getenv("MVT_USER");
    const char *password = std::getenv("MVT_PASSWORD");
    if (user == nullptr && password == nullptr)
        return;
    const carried found = carried_tags(*dpb, *dpb_length);
    const bool add_user = user != nullptr && !found.user;
    const bool add_password = password != nullptr && !found.password;
    if (add_user && add_password)
        mvt_expand_dpb(dpb, dpb_length, DPB_USER, user, DPB_PASSWORD, password, 0);
    else if (add_user)
        mvt_expand_dpb(dpb, dpb_length, DPB_USER, user, 0);
    else if (add_password)
        mvt_expand_dpb(dpb, dpb_length, DPB_PASSWORD, password, 0);
}

extern "C" void mvt_set_single_user(char **dpb, int16_t *dpb_length, const char *value)
{
    if (!carried_tags(*dpb, *dpb_length).single_user)
        mvt_expand_dpb(dpb, dpb_length, DPB_SINGLE_USER, value, 0);
}
