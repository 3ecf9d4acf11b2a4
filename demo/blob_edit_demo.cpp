// The blob edit from start to end: a text file is loaded into a blob, the
// user edits the blob in an editor, and the blob is written back out.
//
//   blob_edit_demo TEXT_FILE
//
// The editor is the one named by VISUAL, else EDITOR, else vi. Each step
// reports itself in one line; the blob's text follows the last one. On a
// terminal the program says which editor opens and what saving and quitting
// do, and waits for Enter, since the editor's screen hides what was printed.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

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

// The edit writes its temporary file into the working directory; when no
// file can be created there, the edit cannot start at all. Returns 0 or the
// reason (an errno value).
int working_directory_refuses_files()
{
    char probe[] = "edit_probe.XXXXXX";
    const int fd = mkstemp(probe);
    if (fd < 0)
        return errno;
    close(fd);
    unlink(probe);
    return 0;
}

bool same_id(const tdx_quad &a, const tdx_quad &b)
{
    return a.high == b.high && a.low == b.low;
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
        std::printf("   attach: %s could not be attached\n", database_name);
        tdx__print_status(status);
        return 1;
    }
    std::printf("   attach: database %s attached\n", database_name);

    const tdx_handle tra = 0;  // the stand-in core does not check transactions
    tdx_quad blob_id{};
    if (BLOB_load(&blob_id, db, tra, text_file) != 1) {
        std::printf("   load: %s could not be loaded into a blob\n", text_file);
        tdx__detach_database(status, &db);
        return 1;
    }
    std::printf("   load: %s loaded into a new blob, one segment per line\n", text_file);

    bool edited = false;
    if (const int reason = working_directory_refuses_files()) {
        std::printf("   edit: cannot start: the working directory takes no new file (%s),\n"
                    "         so there is no place for the temporary copy; the blob is kept\n",
                    std::strerror(reason));
    } else {
        const char *editor = editor_in_use();
        if (isatty(STDIN_FILENO) && isatty(STDOUT_FILENO)) {
            std::printf("   edit: the blob opens in the editor \"%s\" (from VISUAL, else EDITOR,\n"
                        "         else vi). Saving stores the edited text as a new blob;\n"
                        "         quitting without saving keeps the old one.\n"
                        "         Press Enter to open the editor... ",
                        editor);
            std::fflush(stdout);
            for (int c = std::getchar(); c != '\n' && c != EOF; c = std::getchar()) {
            }
        } else {
            std::printf("   edit: the blob opens in the editor \"%s\"\n", editor);
        }
        std::fflush(stdout);
        const tdx_quad before = blob_id;
        edited = BLOB_edit(&blob_id, db, tra, "demo_text") == 1 && !same_id(before, blob_id);
        std::printf("   edit: %s\n", edited
                                         ? "the text changed; the edited text is stored as a new blob"
                                         : "the text is unchanged; the old blob is kept");
    }

    std::printf("   display: the blob now reads:\n");
    std::fflush(stdout);
    const int32_t shown = BLOB_display(&blob_id, db, tra, nullptr);
    std::fflush(stdout);
    if (shown != 1)
        std::printf("   display: the blob could not be read\n");

    tdx__detach_database(status, &db);
    std::printf("   detach: database %s detached\n", database_name);
    return shown == 1 ? 0 : 1;
}
