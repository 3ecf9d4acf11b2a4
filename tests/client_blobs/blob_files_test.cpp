// Blobs to files and the standard output, files into new blobs, and the
// by-address forms with their name areas.
#include <functional>

#include "blob_test_support.h"

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
        const std::string printed = testing_support::capture_stdout(
            [&] { EXPECT_EQ(BLOB_display(&id, db, tra, name), 1); });
        EXPECT_EQ(printed, "xyz\n" + thousand_bytes);
    }
    tdxc_fail(TDXC_OPEN_BLOB, 1);
    const std::string printed = testing_support::capture_stdout(
        [&] { EXPECT_EQ(BLOB_display(&id, db, tra, "x"), 0); });
    EXPECT_EQ(printed, "blob could not be opened\n");
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
