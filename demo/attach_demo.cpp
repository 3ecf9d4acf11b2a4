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
    std::printf("   mvt_set_login added the user name and password: %d bytes\n", dpb_length);
    char *const login_block = dpb;
    mvt_set_single_user(&dpb, &dpb_length, "single");
    // The block grew into a new buffer; the one mvt_set_login returned is
    // still ours, and so is the new one: the caller releases every buffer
    // a builder returned.
    if (login_block != nullptr && login_block != dpb)
        tdx__free(login_block);
    if (dpb == nullptr) {
        std::printf("   no memory for the parameter block\n");
        return 1;
    }
    std::printf("   mvt_set_single_user added the single-user clump: %d bytes:", dpb_length);
    for (int i = 0; i < dpb_length; ++i)
        std::printf(" %02x", static_cast<unsigned char>(dpb[i]));
    std::printf("\n");

    tdx_status status[TDX_STATUS_LENGTH] = {};
    tdx_handle db = 0;
    const int32_t attached = tdx__attach_database(status, 0, argv[1], &db, dpb_length, dpb);
    tdx__free(dpb);  // the core has read it
    if (attached != 0) {
        std::printf("   the attach was refused:\n");
        tdx__print_status(status);
        return 1;
    }
    std::printf("   database %s attached; the version report names the layers serving it:\n",
                argv[1]);
    std::fflush(stdout);
    const int32_t report = tdx__version(&db, nullptr, nullptr);
    std::fflush(stdout);
    if (report != 0)
        std::printf("   the report stopped early\n");
    tdx__detach_database(status, &db);
    std::printf("   detached; both parameter block buffers released\n");
    return report;
}
