/* The parent project's own program named cache: it builds a parameter block
   with the client library it took in with the Morvanta tree. */
#include <morvanta/dbutil.h>

int main(void)
{
    char *dpb = NULL;
    int16_t length = 0;
    mvt_expand_dpb(&dpb, &length, DPB_USER, "parent", 0);
    tdx__free(dpb);
    return length == 9 ? 0 : 1;
}
