// Editing a blob with a real editor program: the editor script stands in for
// the user, and every path must leave the working directory empty.
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <csignal>
#include <cstring>

#include "blob_test_support.h"

namespace blob_tests {
namespace {

// A fault injected into the core and the status line it prints.
struct InjectedFault {
    const char *what;
    tdxc_op op;
    int nth;
    const char *printed;
};

// Every path must leave the scratch directory empty.
class blob_edit : public editor_test {
  protected:
    void TearDown() override
    {
        EXPECT_EQ(leftovers(), std::vector<std::string>{});
        editor_test::TearDown();
    }
};

TEST_F(blob_edit, ChangedTextBecomesANewBlobOneLinePerSegment)
{
    use_editor("append");
    tdx_quad id = seed_blob({"line one\n", "", "line two\n"});
    const tdx_quad old_id = id;
    std::string printed = testing_support::capture_stdout(
        [&] { EXPECT_EQ(BLOB_edit(&id, db, tra, "notes"), 1); });
    EXPECT_EQ(printed, "");
    EXPECT_FALSE(same_id(id, old_id));
    EXPECT_EQ(segments_of(id), (Segments{"line one\n", "line two\n", "added in the editor\n"}));
    EXPECT_EQ(segments_of(old_id), (Segments{"line one\n", "", "line two\n"}));
    EXPECT_EQ(editor_runs().size(), 1u);
}

TEST_F(blob_edit, UnchangedTextKeepsTheBlob)
{
    for (const char *action : {"keep", "same-size-same-time", "remove"}) {
        SCOPED_TRACE(action);
        use_editor(action);
        tdx_quad id = seed_blob({"abc\n"});
        const tdx_quad old_id = id;
        const int blobs = tdxc_blob_count();
        EXPECT_EQ(BLOB_edit(&id, db, tra, "notes"), 0);
        EXPECT_TRUE(same_id(id, old_id));
        EXPECT_EQ(tdxc_blob_count(), blobs);
        EXPECT_EQ(tdxc_calls(TDXC_CREATE_BLOB), 0);
    }
}

TEST_F(blob_edit, SameSizeChangeAtAnotherTimeCounts)
{
    use_editor("same-size-new-time");
    tdx_quad id = seed_blob({"abc\n"});
    EXPECT_EQ(BLOB_edit(&id, db, tra, "notes"), 1);
    EXPECT_EQ(segments_of(id), (Segments{"Xbc\n"}));
}

TEST_F(blob_edit, TemporaryFileIsNamedAfterTheStemInTheCurrentDirectory)
{
    struct Case {
        const char *name;
        const char *stem;
    };
    const Case cases[] = {
        {"CUST$NOTES", "cust_notes"},
        {nullptr, "tdx_edit"},
        {"ABCDEFGHIJKLMNOPQRSTUVW", "abcdefghijklmnopqrstuvw"},  // 23: all of it
        {"ABCDEFGHIJKLMNOPQRSTUVWX", "abcdefghijklmnopqrstuvwx"},  // 24: all of it
        {"ABCDEFGHIJKLMNOPQRSTUVWXY", "abcdefghijklmnopqrstuvwx"},  // 25: cut to 24
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ1234", "abcdefghijklmnopqrstuvwx"},
        {"Mixed.Case-9", "mixed.case-9"},
        {"", ""},
        {"../up/and/away", ".._up_and_away"},
        {"/etc/passwd", "_etc_passwd"},
    };
    use_editor("keep");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stem);
        ::unlink(log_path.c_str());
        tdx_quad id = seed_blob({"x"});
        EXPECT_EQ(BLOB_edit(&id, db, tra, c.name), 0);
        const auto runs = editor_runs();
        ASSERT_EQ(runs.size(), 1u);
        const std::string expected_start = std::string("keep ") + c.stem + ".";
        EXPECT_EQ(runs[0].substr(0, expected_start.size()), expected_start) << runs[0];
        EXPECT_EQ(runs[0].size(), expected_start.size() + 6) << runs[0];
    }
}

TEST_F(blob_edit, NamesWithShellCharactersRunNothing)
{
    use_editor("append");
    const char *names[] = {"a;touch pwned", "$(touch pwned)", "`touch pwned`",
                           "it's \"q\" |touch pwned", "-c!touch pwned"};
    for (const char *name : names) {
        SCOPED_TRACE(name);
        tdx_quad id = seed_blob({"x\n"});
        EXPECT_EQ(BLOB_edit(&id, db, tra, name), 1);
        EXPECT_EQ(segments_of(id), (Segments{"x\n", "added in the editor\n"}));
        EXPECT_FALSE(file_exists("pwned"));
    }
}

TEST_F(blob_edit, ByAddressFormCutsTheNameAndKeepsTheStem)
{
    use_editor("append");
    const std::string name = "CUST$NOTES" + std::string(100, 'Z');
    for (int16_t length : {int16_t{10}, int16_t{31}, int16_t{110}}) {
        ::unlink(log_path.c_str());
        tdx_quad id = seed_blob({"x\n"});
        EXPECT_EQ(blob__edit(&id, &db, &tra, name.data(), &length), 1);
        const auto runs = editor_runs();
        ASSERT_EQ(runs.size(), 1u);
        const std::string stem =
            length == 10 ? "cust_notes" : "cust_notes" + std::string(14, 'z');
        EXPECT_EQ(runs[0].substr(0, 7 + stem.size() + 1), "append " + stem + ".");
    }
}

TEST_F(blob_edit, BlobThatCannotBeDumpedIsNotEdited)
{
    use_editor("append");
    // A read error part-way would hand the user a cut text whose save
    // replaces the whole blob, so it stops the edit as an open failure does.
    const InjectedFault cases[] = {
        {"blob cannot be opened", TDXC_OPEN_BLOB, 1, "blob could not be opened\n"},
        {"read error part-way", TDXC_GET_SEGMENT, 2, "I/O error while reading a blob segment\n"},
    };
    for (const InjectedFault &c : cases) {
        SCOPED_TRACE(c.what);
        tdx_quad id = seed_blob({std::string(300, 'a'), "b\n"});
        const tdx_quad old_id = id;
        tdxc_fail(c.op, c.nth);
        const std::string printed = testing_support::capture_stdout(
            [&] { EXPECT_EQ(BLOB_edit(&id, db, tra, "notes"), 0); });
        EXPECT_EQ(printed, c.printed);
        EXPECT_TRUE(same_id(id, old_id));
        EXPECT_EQ(editor_runs().size(), 0u);
        EXPECT_EQ(tdxc_calls(TDXC_CREATE_BLOB), 0);
    }
}

TEST_F(blob_edit, FailedReloadKeepsTheOldBlobId)
{
    use_editor("append");
    const InjectedFault cases[] = {
        {"create refused", TDXC_CREATE_BLOB, 1, "blob could not be created\n"},
        {"segment refused", TDXC_PUT_SEGMENT, 2, "blob segment could not be written\n"},
    };
    for (const InjectedFault &c : cases) {
        SCOPED_TRACE(c.what);
        ::unlink(log_path.c_str());
        tdx_quad id = seed_blob({"one\n", "two\n"});
        const tdx_quad old_id = id;
        tdxc_fail(c.op, c.nth);
        const std::string printed = testing_support::capture_stdout(
            [&] { EXPECT_EQ(BLOB_edit(&id, db, tra, "notes"), 0); });
        EXPECT_EQ(printed, c.printed);
        EXPECT_TRUE(same_id(id, old_id));
        EXPECT_EQ(segments_of(id), (Segments{"one\n", "two\n"}));
        EXPECT_EQ(editor_runs().size(), 1u);
    }
}

// Makes a socket file: stat can take its status, but it cannot be opened.
void make_socket_file(const std::string &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ::close(fd);
}

TEST_F(blob_edit, EditedFileThatCannotBeReopenedKeepsTheBlob)
{
    // The editor puts a socket in the file's place (same directory, so the
    // move is a rename).
    make_socket_file("replacement");
    scoped_env replacement("EDIT_REPLACEMENT", work_ + "/replacement");
    use_editor("replace-with");
    tdx_quad id = seed_blob({"abc\n"});
    const tdx_quad old_id = id;
    EXPECT_EQ(BLOB_edit(&id, db, tra, "notes"), 0);
    EXPECT_TRUE(same_id(id, old_id));
    EXPECT_EQ(editor_runs().size(), 1u);
    EXPECT_EQ(tdxc_calls(TDXC_CREATE_BLOB), 0);
}

TEST_F(blob_edit, TemporaryFileThatCannotBeCreatedEndsTheEdit)
{
    // A working directory that no longer exists takes no new files.
    use_editor("append");
    const std::string gone = work_ + "/gone";
    ASSERT_EQ(::mkdir(gone.c_str(), 0700), 0);
    ASSERT_EQ(::chdir(gone.c_str()), 0);
    ASSERT_EQ(::rmdir(gone.c_str()), 0);
    tdx_quad id = seed_blob({"abc\n"});
    const tdx_quad old_id = id;
    const std::string printed = testing_support::capture_stdout(
        [&] { EXPECT_EQ(BLOB_edit(&id, db, tra, "notes"), 0); });
    EXPECT_EQ(printed, "");
    ASSERT_EQ(::chdir(work_.c_str()), 0);
    EXPECT_TRUE(same_id(id, old_id));
    EXPECT_EQ(tdxc_calls(TDXC_OPEN_BLOB), 0);
    EXPECT_EQ(editor_runs().size(), 0u);
}

TEST_F(blob_edit, ShortWriteOfTheTemporaryFileEndsTheEdit)
{
    // A file size limit makes the dump's writes fail part-way, as a full disk would.
    use_editor("append");
    tdx_quad id = seed_blob({std::string(20000, 'w'), "\n"});
    const tdx_quad old_id = id;
    rlimit old_limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old_limit;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const int32_t result = BLOB_edit(&id, db, tra, "notes");
    ::setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(same_id(id, old_id));
    EXPECT_EQ(editor_runs().size(), 0u);
}

}  // namespace
}  // namespace blob_tests
