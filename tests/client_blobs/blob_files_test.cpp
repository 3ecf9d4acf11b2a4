// Blobs to files and the standard output, files into new blobs, and the
// by-address forms with their name areas.
#include <fcntl.h>
#include <sys/resource.h>

#include <csignal>
#include <functional>

#include "blob_forms.h"
#include "blob_test_support.h"
#include "process.h"

namespace blob_tests {
namespace {

using blob_files = core_test;

using dump_routine = int32_t (*)(tdx_quad *, tdx_handle, tdx_handle, const char *);

const std::string thousand_bytes = [] {
    std::string s;
    for (int i = 0; i < 1000; ++i)
        s += static_cast<char>(i * 7);
    return s;
}();

TEST_F(blob_files, DumpWritesTheBytesUnchanged)
{
    struct Case {
        const char *what;
        Segments segments;
        std::string expected;
    };
    const Case cases[] = {
        {"empty segment inside", {"xy", "", "z\n"}, "xyz\n"},
        {"segment longer than the transfer area", {thousand_bytes}, thousand_bytes},
        {"every byte value", {all_byte_values()}, all_byte_values()},
        {"empty blob", {}, ""},
    };
    for (dump_routine routine : {&BLOB_dump, &BLOB_text_dump}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(c.what);
            tdx_quad id = seed_blob(c.segments);
            const tdx_quad seeded = id;
            std::string printed = testing_support::capture_stdout(
                [&] { EXPECT_EQ(routine(&id, db, tra, "out.txt"), 1); });
            EXPECT_EQ(printed, "");
            EXPECT_EQ(read_file("out.txt"), c.expected);
            EXPECT_TRUE(same_id(id, seeded));
            ::unlink("out.txt");
        }
    }
}

TEST_F(blob_files, DumpFailures)
{
    tdx_quad id = seed_blob({std::string(300, 'a'), "b"});

    // A file that cannot be opened: nothing asked of the core, nothing printed.
    std::string printed = testing_support::capture_stdout(
        [&] { EXPECT_EQ(BLOB_dump(&id, db, tra, "no/such/dir/out.txt"), 0); });
    EXPECT_EQ(printed, "");
    EXPECT_EQ(tdxc_calls(TDXC_OPEN_BLOB), 0);
    EXPECT_EQ(BLOB_dump(&id, db, tra, nullptr), 0);

    // A blob that cannot be opened: printed, and the emptied file stays.
    write_file("out.txt", "old contents");
    tdxc_fail(TDXC_OPEN_BLOB, 1);
    printed = testing_support::capture_stdout(
        [&] { EXPECT_EQ(BLOB_dump(&id, db, tra, "out.txt"), 0); });
    EXPECT_EQ(printed, "blob could not be opened\n");
    EXPECT_TRUE(file_exists("out.txt"));
    EXPECT_EQ(read_file("out.txt"), "");

    // A read error part-way: printed, the blob closed, the transfer counted as done.
    tdxc_fail(TDXC_GET_SEGMENT, 2);
    printed = testing_support::capture_stdout(
        [&] { EXPECT_EQ(BLOB_text_dump(&id, db, tra, "out.txt"), 1); });
    EXPECT_EQ(printed, "I/O error while reading a blob segment\n");
    EXPECT_EQ(read_file("out.txt"), std::string(256, 'a'));
    EXPECT_EQ(tdxc_calls(TDXC_CLOSE_BLOB), 1);
}

TEST_F(blob_files, DisplayWritesTheBlobToStandardOutputAndIgnoresTheName)
{
    tdx_quad id = seed_blob({"xy", "", "z\n", thousand_bytes});
    for (const char *name : {"ignored", "", static_cast<const char *>(nullptr)}) {
        // The blob has reached descriptor 1 when the call returns: the
        // display flushes the standard output itself.
        const std::string printed = testing_support::capture_descriptor_1(
            [&] { EXPECT_EQ(BLOB_display(&id, db, tra, name), 1); },
            testing_support::stdout_buffer::left);
        EXPECT_EQ(printed, "xyz\n" + thousand_bytes);
    }
    tdxc_fail(TDXC_OPEN_BLOB, 1);
    const std::string printed = testing_support::capture_stdout(
        [&] { EXPECT_EQ(BLOB_display(&id, db, tra, "x"), 0); });
    EXPECT_EQ(printed, "blob could not be opened\n");
}

// A file or an output that cannot take every byte of the blob. Each case
// runs in a child process, which may change its limits, its signal
// dispositions and its descriptor 1 freely; the child's exit status carries
// the result.
const std::string ten_thousand_bytes = [] {
    std::string s;
    for (int i = 0; i < 10000; ++i)
        s += static_cast<char>(i * 13 + i / 256);
    return s;
}();

// Whether bytes are exactly the first `length` of the ten thousand.
::testing::AssertionResult holds_the_first(const std::string &bytes, size_t length)
{
    if (bytes == ten_thousand_bytes.substr(0, length))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << bytes.size() << " bytes, not the first " << length << " of the blob";
}

// Lets the child write no file beyond `bytes`, and makes a write past it
// fail instead of ending the child.
void limit_file_size(rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

TEST_F(blob_files, DumpThatCannotWriteEveryByteFails)
{
    struct Case {
        const char *what;
        size_t blob_length;
        rlim_t limit;      // file size limit; 0: none
        bool to_dev_full;  // into /dev/full rather than a file
        int32_t result;
        size_t file_length;  // bytes of the blob the file holds
    };
    const Case cases[] = {
        {"file size limit part-way", 10000, 3000, false, 0, 3000},
        {"only the last write fails", 2000, 1000, false, 0, 1000},
        {"a full device", 10000, 0, true, 0, 0},
        {"within the limit", 10000, 10000, false, 1, 10000},
    };
    for (const blob_form &form : dump_forms()) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(form.what) + ": " + c.what);
            tdx_quad id = seed_blob({ten_thousand_bytes.substr(0, c.blob_length)});
            const std::string file = c.to_dev_full ? "/dev/full" : side_path("dumped");
            const std::string printed = side_path("printed");
            const int result = testing_support::run_in_child([&] {
                const int out = ::open(printed.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
                ::dup2(out, 1);
                if (c.limit != 0)
                    limit_file_size(c.limit);
                return form.call(&id, db, tra, file);
            });
            EXPECT_EQ(result, c.result);
            EXPECT_EQ(read_file(printed), "");
            if (!c.to_dev_full) {
                EXPECT_TRUE(holds_the_first(read_file(file), c.file_length));
            }
        }
    }
}

TEST_F(blob_files, DisplayThatCannotWriteEveryByteFails)
{
    // How the child's descriptor 1 is set up; it may first make the standard
    // output's error indicator set, as an earlier failed write would.
    struct Case {
        const char *what;
        std::function<void(const std::string &file)> arrange;
        int status;  // result + 2 when the error indicator is set afterwards
        size_t shown;
    };
    const auto onto_1 = [](int fd) {
        if (fd != 1) {
            ::dup2(fd, 1);
            ::close(fd);
        }
    };
    const auto earlier_failure = [] {
        ::close(1);
        std::fputs("lost", stdout);
        std::fflush(stdout);
    };
    const Case cases[] = {
        {"a file", [&](const std::string &f) { onto_1(::open(f.c_str(), O_WRONLY)); }, 1, 10000},
        {"closed", [](const std::string &) { ::close(1); }, 2, 0},
        {"read-only", [&](const std::string &f) { onto_1(::open(f.c_str(), O_RDONLY)); }, 2, 0},
        {"a pipe without reader",
         [&](const std::string &) {
             std::signal(SIGPIPE, SIG_IGN);
             int ends[2];
             if (::pipe(ends) == 0) {
                 ::close(ends[0]);
                 onto_1(ends[1]);
             }
         },
         2, 0},
        {"a full device", [&](const std::string &) { onto_1(::open("/dev/full", O_WRONLY)); }, 2, 0},
        {"a file with a size limit",
         [&](const std::string &f) {
             onto_1(::open(f.c_str(), O_WRONLY));
             limit_file_size(3000);
         },
         2, 3000},
        // An error indicator set before the call is not this call's failure,
        // and it is not cleared for the caller.
        {"an earlier error, then a file",
         [&](const std::string &f) {
             earlier_failure();
             onto_1(::open(f.c_str(), O_WRONLY));
         },
         3, 10000},
        {"an earlier error, then a full device",
         [&](const std::string &) {
             earlier_failure();
             onto_1(::open("/dev/full", O_WRONLY));
         },
         2, 0},
    };
    for (const blob_form &form : display_forms()) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(form.what) + ": " + c.what);
            tdx_quad id = seed_blob({ten_thousand_bytes});
            const std::string file = side_path("shown");
            write_file(file, "");
            const int status = testing_support::run_in_child([&] {
                c.arrange(file);
                const int32_t result = form.call(&id, db, tra, "name");
                return result + (std::ferror(stdout) ? 2 : 0);
            });
            EXPECT_EQ(status, c.status);
            EXPECT_TRUE(holds_the_first(read_file(file), c.shown));
        }
    }
}

TEST_F(blob_files, LoadCutsASegmentAtEveryNewlineAndEvery512Bytes)
{
    struct Case {
        const char *what;
        std::string file;
        Segments expected;
    };
    const std::string every_byte = all_byte_values();
    const Case cases[] = {
        {"two lines, no final newline", "one\ntwo", {"one\n", "two"}},
        {"1100 bytes without newline", std::string(1100, 'a'),
         {std::string(512, 'a'), std::string(512, 'a'), std::string(76, 'a')}},
        {"empty file", "", {}},
        {"empty lines", "a\n\n\n", {"a\n", "\n", "\n"}},
        {"line of exactly 512 bytes", std::string(511, 'b') + "\n" + "c",
         {std::string(511, 'b') + "\n", "c"}},
        {"newline as the 513th byte", std::string(512, 'b') + "\n",
         {std::string(512, 'b'), "\n"}},
        {"every byte value", every_byte, {every_byte.substr(0, 11), every_byte.substr(11)}},
    };
    for (dump_routine routine : {&BLOB_load, &BLOB_text_load}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(c.what);
            write_file("in.txt", c.file);
            tdx_quad id{};
            const std::string printed = testing_support::capture_stdout(
                [&] { EXPECT_EQ(routine(&id, db, tra, "in.txt"), 1); });
            EXPECT_EQ(printed, "");
            EXPECT_EQ(segments_of(id), c.expected);

            // And back out again, unchanged.
            EXPECT_EQ(BLOB_dump(&id, db, tra, "back.txt"), 1);
            EXPECT_EQ(read_file("back.txt"), c.file);
        }
    }
}

TEST_F(blob_files, LoadFailures)
{
    write_file("in.txt", "first\nsecond\nthird");
    struct Case {
        const char *what;
        tdxc_op op;
        int nth;
        const char *printed;
        int blobs_made;
    };
    const Case cases[] = {
        {"create refused", TDXC_CREATE_BLOB, 1, "blob could not be created\n", 0},
        {"a line refused", TDXC_PUT_SEGMENT, 2, "blob segment could not be written\n", 1},
        {"the last piece refused", TDXC_PUT_SEGMENT, 3, "blob segment could not be written\n",
         1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        tdxc_reset();
        db = tdxc_attach("blobs.tdb");
        tdxc_fail(c.op, c.nth);
        tdx_quad id{};
        const std::string printed = testing_support::capture_stdout(
            [&] { EXPECT_EQ(BLOB_load(&id, db, tra, "in.txt"), 0); });
        EXPECT_EQ(printed, c.printed);
        EXPECT_EQ(tdxc_blob_count(), c.blobs_made);
        EXPECT_EQ(tdxc_open_blob_handles(), 0);
        // Nothing is sent after a refusal.
        EXPECT_EQ(tdxc_calls(TDXC_PUT_SEGMENT), c.op == TDXC_PUT_SEGMENT ? c.nth : 0);
    }
}

TEST_F(blob_files, LoadOfAFileThatCannotBeOpenedOrReadFails)
{
    tdx_quad id{};
    EXPECT_EQ(BLOB_load(&id, db, tra, "missing.txt"), 0);
    EXPECT_EQ(BLOB_text_load(&id, db, tra, nullptr), 0);
    EXPECT_EQ(tdxc_calls(TDXC_CREATE_BLOB), 0);

    // A directory opens for reading but fails at the first read: the loop
    // ends, the blob is closed, and the load reports failure without a message.
    ASSERT_EQ(::mkdir("subdir", 0700), 0);
    const std::string printed = testing_support::capture_stdout(
        [&] { EXPECT_EQ(BLOB_load(&id, db, tra, "subdir"), 0); });
    EXPECT_EQ(printed, "");
    EXPECT_EQ(tdxc_calls(TDXC_CREATE_BLOB), 1);
    EXPECT_EQ(tdxc_calls(TDXC_PUT_SEGMENT), 0);
    EXPECT_EQ(tdxc_open_blob_handles(), 0);
}

TEST_F(blob_files, ByAddressFormsCopyTheCountedName)
{
    tdx_quad id = seed_blob({"one\n", "two"});
    const char *characters = "seven.tXYZ";
    int16_t length = 7;
    EXPECT_EQ(blob__dump(&id, &db, &tra, characters, &length), 1);
    EXPECT_EQ(read_file("seven.t"), "one\ntwo");
    EXPECT_FALSE(file_exists("seven.tXYZ"));

    tdx_quad loaded{};
    EXPECT_EQ(blob__load(&loaded, &db, &tra, characters, &length), 1);
    EXPECT_EQ(segments_of(loaded), (Segments{"one\n", "two"}));

    const std::string printed = testing_support::capture_stdout(
        [&] { EXPECT_EQ(blob__display(&loaded, &db, &tra, characters, &length), 1); });
    EXPECT_EQ(printed, "one\ntwo");
}

TEST_F(blob_files, ByAddressFileNamesOverTheirAreaAreRefused)
{
    tdx_quad id = seed_blob({"abc"});
    struct Case {
        int16_t length;
        int32_t result;
    };
    const std::string name(200, 'n');
    for (const Case c : {Case{0, 0}, Case{-5, 0}, Case{131, 1}, Case{132, 0}, Case{200, 0}}) {
        SCOPED_TRACE(c.length);
        tdxc_reset();
        db = tdxc_attach("blobs.tdb");
        id = seed_blob({"abc"});
        EXPECT_EQ(blob__dump(&id, &db, &tra, name.data(), &c.length), c.result);
        EXPECT_EQ(file_exists(name.substr(0, c.length > 0 ? c.length : 0)), c.result == 1);
        EXPECT_FALSE(file_exists(name.substr(0, 131 + 1)));
        tdx_quad loaded{};
        EXPECT_EQ(blob__load(&loaded, &db, &tra, name.data(), &c.length), c.result);
        EXPECT_EQ(tdxc_calls(TDXC_CREATE_BLOB), c.result);
        ::unlink(name.substr(0, 131).c_str());
    }
}

TEST_F(blob_files, ByAddressDisplayCutsALongName)
{
    tdx_quad id = seed_blob({"shown"});
    const std::string name(5000, 'd');
    for (int16_t length : {int16_t{31}, int16_t{32}, int16_t{5000}, int16_t{-1}}) {
        const std::string printed = testing_support::capture_stdout(
            [&] { EXPECT_EQ(blob__display(&id, &db, &tra, name.data(), &length), 1); });
        EXPECT_EQ(printed, "shown");
    }
}

}  // namespace
}  // namespace blob_tests
