// The attach road: a parameter block built from the environment (MVT_USER,
// MVT_PASSWORD) and the single-user clump, handed to the client core's
// attach, then the report of the layers that serve the attachment.
//
//   attach_demo DATABASE
#include <cstdio>

#include "dbutil.h"

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DATABASE\n", argv[0]);
        return 2;
    }
    char *dpb = nullptr;
    int16_t dpb_length = 0;
    mvt_set_login(&dpb, &dpb_length);
    mvt_set_single_user(&dpb, &dpb_length, "single");
    std::printf("parameter block (%d bytes):", dpb_length);
    for (int i = 0; i < dpb_length; ++i)
        std::printf(" %02x", static_cast<unsigned char>(dpb[i]));
    std::printf("\n");

    tdx_status status[TDX_STATUS_LENGTH] = {};
    tdx_handle db = 0;
    const int32_t attached = tdx__attach_database(status, 0, argv[1], &db, dpb_length, dpb);
    // The builders allocated the block; it is ours to release once attached.
    tdx__free(dpb);
    if (attached != 0) {
        tdx__print_status(status);
        return 1;
    }
    std::printf("database %s attached; it is served by:\n", argv[1]);
    std::fflush(stdout);
    const int32_t report = tdx__version(&db, nullptr, nullptr);
    std::fflush(stdout);
    tdx__detach_database(status, &db);
    return report;
}
