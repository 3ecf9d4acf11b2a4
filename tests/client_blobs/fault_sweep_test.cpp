// Fault sweeps of the blob routines: every core call of a run fails in turn
// (allocation, open, create, get and put segment, info request); each failure
// must give the promised result and message and leave the caller's id, stream
// or file as promised, with no block allocated and no blob left open.
#include <functional>
#include <string>
#include <vector>

#include "blob_forms.h"
#include "blob_test_support.h"
#include "fault_sweep.h"

namespace blob_tests {
namespace {

using fault_sweep::Outcome;
using fault_sweep::run_sweep;
using fault_sweep::Sweep;

const std::string open_refused = "blob could not be opened\n";
const std::string create_refused = "blob could not be created\n";
const std::string read_error = "I/O error while reading a blob segment\n";
const std::string segment_refused = "blob segment could not be written\n";

class FaultSweep : public core_test {
  protected:
    // A fresh attach and the seeded blob after every reset of the core.
    std::function<void()> seeding(const Segments &segments)
    {
        return [this, segments] {
            db = tdxc_attach("blobs.tdb");
            id = seed_blob(segments);
        };
    }

    tdx_quad id{};
};

TEST_F(FaultSweep, ReadStream)
{
    // Bopen for reading, BLOB_get to the end, BLOB_close: the caller holds
    // the bytes it was handed. Four segment calls: "ab", "", "cd", the end.
    Sweep sweep;
    sweep.setup = seeding({"ab", "", "cd"});
    sweep.run = [&] {
        blob_stream *stream = Bopen(&id, db, tra, "r");
        if (stream == nullptr)
            return Outcome{-1, "", "", ""};
        std::string bytes;
        for (int32_t c; (c = BLOB_get(stream)) >= 0;)
            bytes += static_cast<char>(c);
        const bool emptied = stream->next == nullptr && stream->count == 0;
        const long closed = BLOB_close(stream);
        return Outcome{closed, "", "", bytes + (emptied ? "" : " (stream not emptied)")};
    };
    sweep.expected = [](tdxc_op op, int n) {
        switch (op) {
        case TDXC_ALLOC:      // record or buffer: null, the opened blob closed again
        case TDXC_OPEN_BLOB:  // null, not printed
            return Outcome{-1, "", "", ""};
        case TDXC_GET_SEGMENT: {
            static const char *const before[] = {"", "", "ab", "ab", "abcd"};
            return Outcome{1, read_error, "", before[n]};
        }
        default:
            return Outcome{1, "", "", "abcd"};
        }
    };
    sweep.points = {{TDXC_ALLOC, 2}, {TDXC_OPEN_BLOB, 1}, {TDXC_GET_SEGMENT, 4}};
    run_sweep(sweep);
}

TEST_F(FaultSweep, WriteStream)
{
    // Bopen for writing; BLOB_put('a') ends a segment; "bc" is put into the
    // buffer directly and BLOB_close sends it; a refused close is retried
    // once, as the caller may. result = 100 * put + 10 * close + retry.
    Sweep sweep;
    sweep.setup = [&] {
        db = tdxc_attach("blobs.tdb");
        id = tdx_quad{};
    };
    sweep.run = [&] {
        blob_stream *stream = Bopen(&id, db, tra, "w");
        if (stream == nullptr)
            return Outcome{-1, "", "", blob_text(id)};
        const long put = BLOB_put('a', stream);
        for (char c : {'b', 'c'}) {
            *stream->next++ = c;
            --stream->count;
        }
        const long closed = BLOB_close(stream);
        const long retried = closed == 0 ? BLOB_close(stream) : 0;
        return Outcome{100 * put + 10 * closed + retried, "", "", blob_text(id)};
    };
    sweep.expected = [](tdxc_op op, int n) {
        switch (op) {
        case TDXC_ALLOC:  // the new blob is closed again, empty
            return Outcome{-1, "", "", "blob "};
        case TDXC_CREATE_BLOB:
            return Outcome{-1, "", "", "no blob"};
        case TDXC_PUT_SEGMENT:
            // A refused put keeps its byte, so it goes out with the close;
            // a refused close keeps the stream for the retry.
            return n == 1 ? Outcome{10, "", "", "blob abc"} : Outcome{101, "", "", "blob a|bc"};
        default:
            return Outcome{110, "", "", "blob a|bc"};
        }
    };
    sweep.points = {{TDXC_ALLOC, 2}, {TDXC_CREATE_BLOB, 1}, {TDXC_PUT_SEGMENT, 2}};
    run_sweep(sweep);
}

TEST_F(FaultSweep, BlobSize)
{
    tdx_handle blob = 0;
    Sweep sweep;
    sweep.setup = [&] {
        seeding({"ab", "", "cd"})();
        tdx_status status[TDX_STATUS_LENGTH] = {};
        blob = 0;
        ASSERT_EQ(tdx__open_blob2(status, &db, &tra, &blob, &id, 0, nullptr), 0);
    };
    sweep.run = [&] {
        int32_t total = -7, segments = -7, longest = -7;
        const long result = tdx__blob_size(&blob, &total, &segments, &longest);
        tdx_status status[TDX_STATUS_LENGTH] = {};
        tdx__close_blob(status, &blob);
        return Outcome{result, "", "",
                       std::to_string(total) + " " + std::to_string(segments) + " " +
                           std::to_string(longest)};
    };
    sweep.expected = [](tdxc_op op, int) {
        return op == TDXC_INFO ? Outcome{0, "information request refused\n", "", "-7 -7 -7"}
                               : Outcome{1, "", "", "4 3 2"};
    };
    sweep.points = {{TDXC_INFO, 1}};
    run_sweep(sweep);
}

TEST_F(FaultSweep, Dump)
{
    struct form_case {
        blob_form form;
        bool to_stdout;  // the bytes go to the standard output, not to the file
    };
    std::vector<form_case> forms;
    for (const blob_form &form : dump_forms())
        forms.push_back({form, false});
    for (const blob_form &form : display_forms())
        forms.push_back({form, true});
    for (const form_case &form : forms) {
        SCOPED_TRACE(form.form.what);
        // Four segment calls: "xy", "", "z\n", the end.
        Sweep sweep;
        sweep.setup = seeding({"xy", "", "z\n"});
        sweep.run = [&] {
            const std::string file = "dumped";
            const long result = form.form.call(&id, db, tra, file);
            std::fflush(stdout);
            const std::string held = file_exists(file) ? read_file(file) : "no file";
            ::unlink(file.c_str());
            return Outcome{result, "", "", held};
        };
        sweep.expected = [&](tdxc_op op, int n) {
            static const char *const before[] = {"", "", "xy", "xy", "xyz\n"};
            // A blob that cannot be opened leaves the file empty; a read
            // error keeps what came before it and still counts as a dump.
            const std::string bytes = op == TDXC_OPEN_BLOB     ? ""
                                      : op == TDXC_GET_SEGMENT ? before[n]
                                                               : "xyz\n";
            const std::string message = op == TDXC_OPEN_BLOB     ? open_refused
                                        : op == TDXC_GET_SEGMENT ? read_error
                                                                 : "";
            const long result = op == TDXC_OPEN_BLOB ? 0 : 1;
            return form.to_stdout ? Outcome{result, bytes + message, "", "no file"}
                                  : Outcome{result, message, "", bytes};
        };
        sweep.points = {{TDXC_OPEN_BLOB, 1}, {TDXC_GET_SEGMENT, 4}};
        run_sweep(sweep);
    }
}

TEST_F(FaultSweep, Load)
{
    for (const blob_form &form : load_forms()) {
        SCOPED_TRACE(form.what);
        Sweep sweep;
        sweep.setup = [&] {
            db = tdxc_attach("blobs.tdb");
            id = tdx_quad{};
        };
        sweep.run = [&] {
            write_file("text", "one\ntwo");  // two segments: "one\n", "two"
            const long result = form.call(&id, db, tra, "text");
            ::unlink("text");
            return Outcome{result, "", "", blob_text(id)};
        };
        sweep.expected = [](tdxc_op op, int n) {
            switch (op) {
            case TDXC_CREATE_BLOB:
                return Outcome{0, create_refused, "", "no blob"};
            case TDXC_PUT_SEGMENT:  // the id names the new blob, cut before the refused segment
                return Outcome{0, segment_refused, "", n == 1 ? "blob " : "blob one\n"};
            default:
                return Outcome{1, "", "", "blob one\n|two"};
            }
        };
        sweep.points = {{TDXC_CREATE_BLOB, 1}, {TDXC_PUT_SEGMENT, 2}};
        run_sweep(sweep);
    }
}

TEST_F(FaultSweep, Edit)
{
    // The editor appends a line; dump, edit and reload then make two segment
    // reads ("abc\n", the end), one create and two segment writes.
    scoped_env editor("EDITOR", std::nullopt);
    scoped_env visual("VISUAL", editor_doing("append"));
    scoped_env log("EDIT_LOG", std::nullopt);
    for (const blob_form &form : edit_forms()) {
        SCOPED_TRACE(form.what);
        tdx_quad old_id{};
        Sweep sweep;
        sweep.setup = [&] {
            seeding({"abc\n"})();
            old_id = id;
        };
        sweep.run = [&] {
            const long result = form.call(&id, db, tra, "NOTES");
            std::string held = same_id(id, old_id) ? "old " : "new ";
            held += blob_text(id);
            for (const std::string &left : leftovers())
                held += " left " + left;
            return Outcome{result, "", "", held};
        };
        sweep.expected = [](tdxc_op op, int) {
            // Any failure keeps the caller's id and the old blob; the
            // temporary file goes on every path.
            switch (op) {
            case TDXC_OPEN_BLOB: return Outcome{0, open_refused, "", "old blob abc\n"};
            case TDXC_GET_SEGMENT: return Outcome{0, read_error, "", "old blob abc\n"};
            case TDXC_CREATE_BLOB: return Outcome{0, create_refused, "", "old blob abc\n"};
            case TDXC_PUT_SEGMENT: return Outcome{0, segment_refused, "", "old blob abc\n"};
            default: return Outcome{1, "", "", "new blob abc\n|added in the editor\n"};
            }
        };
        sweep.points = {{TDXC_OPEN_BLOB, 1}, {TDXC_GET_SEGMENT, 2}, {TDXC_CREATE_BLOB, 1},
                        {TDXC_PUT_SEGMENT, 2}};
        run_sweep(sweep);
    }
}

}  // namespace
}  // namespace blob_tests
