// The blob edit from start to end: a text file is loaded into a blob, the
// user edits the blob in an editor, and the blob is written back out.
//
//   blob_edit_demo TEXT_FILE
//
// The editor is the one named by VISUAL, else EDITOR, else vi. Each step
// reports itself in one line; the blob's text follows the last one.
#include <cstdio>
#include <cstdlib>

#include "dbutil.h"

namespace {

constexpr const char *database_name = "demo.tdb";

const char *editor_in_use()
{
    if (const char *visual = std::getenv("VISUAL"))
        return visual;
    if (const char *editor = std::getenv("EDITOR"))
        return editor;
    return "vi";
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s TEXT_FILE\n", argv[0]);
        return 2;
    }
    const char *text_file = argv[1];

    tdx_status status[TDX_STATUS_LENGTH] = {};
    tdx_handle db = 0;
    if (tdx__attach_database(status, 0, database_name, &db, 0, nullptr) != 0) {
        std::printf("attach: %s could not be attached\n", database_name);
        tdx__print_status(status);
        return 1;
    }
    std::printf("attach: database %s attached\n", database_name);

    const tdx_handle tra = 0;  // the stand-in core does not check transactions
    tdx_quad blob_id{};
    if (BLOB_load(&blob_id, db, tra, text_file) != 1) {
        std::printf("load: %s could not be loaded into a blob\n", text_file);
        tdx__detach_database(status, &db);
        return 1;
    }
    std::printf("load: %s loaded into a blob, one segment per line\n", text_file);

    std::printf("edit: opening the blob in \"%s\"\n", editor_in_use());
    std::fflush(stdout);
    const tdx_quad before = blob_id;
    const int32_t changed = BLOB_edit(&blob_id, db, tra, "demo_text");
    const bool new_blob = blob_id.high != before.high || blob_id.low != before.low;
    std::printf("edit: %s\n", changed == 1 && new_blob
                                  ? "the text changed; the edited text is stored as a new blob"
                                  : "the text is unchanged; the blob is kept");

    std::printf("display: the blob reads:\n");
    std::fflush(stdout);
    const int32_t shown = BLOB_display(&blob_id, db, tra, nullptr);
    std::printf("display: %s\n", shown == 1 ? "done" : "the blob could not be read");

    tdx__detach_database(status, &db);
    std::printf("detach: database %s detached\n", database_name);
    return shown == 1 ? 0 : 1;
}
