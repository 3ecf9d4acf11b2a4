// I/O fault sweeps of the routines that touch a file, the standard output or
// the editor: every open, create, read, write, flush and close of a run, the
// status taken before and after the editor, the editor's run and the removal
// of the temporary file fail in turn. Each failure must give the promised
// result and leave the caller's id as promised; no failure may pass for
// success, and no temporary file, descriptor or blob handle may be left.
#include <string>

#include "blob_forms.h"
#include "blob_test_support.h"
#include "io_faults.h"

namespace blob_tests {
namespace {

using fault_sweep::Outcome;
using io_faults::op;
using io_sweep = fault_sweep::sweep_of<op>;

// A stream's buffer holds 8192 bytes, so a dump of this blob makes one write
// of a full buffer and one at the flush that ends the dump.
constexpr size_t stream_buffer = 8192;
constexpr size_t blob_length = 10000;

const std::string &blob_bytes()
{
    static const std::string bytes = [] {
        std::string b;
        for (size_t i = 0; i < blob_length; ++i)
            b += static_cast<char>(i * 7 + i / 251);
        return b;
    }();
    return bytes;
}

// The blob as segments of up to 250 bytes.
Segments blob_segments()
{
    Segments segments;
    for (size_t at = 0; at < blob_length; at += 250)
        segments.push_back(blob_bytes().substr(at, 250));
    return segments;
}

// How many of the blob's bytes a file or the output holds, from the first.
std::string reached(const std::string &bytes)
{
    if (blob_bytes().compare(0, bytes.size(), bytes) != 0)
        return "bytes that are not the blob's";
    return std::to_string(bytes.size()) + " bytes";
}

// The editor script stands in for the user's editor (appending a line);
// whether it ran is read from its log.
class IoFaultSweep : public editor_test {
  protected:
    void seed(const Segments &segments)
    {
        db = tdxc_attach("blobs.tdb");
        id = seed_blob(segments);
    }

    // The entry point under watch: its own I/O is what the sweep counts.
    long watched(const std::function<long()> &call)
    {
        long result = 0;
        io_faults::watch([&] { result = call(); });
        return result;
    }

    // Files the run left in the scratch directory, the unique part of a
    // temporary name shown as XXXXXX; they are removed.
    std::string left_behind()
    {
        std::string text;
        for (const std::string &name : leftovers()) {
            const size_t dot = name.rfind('.');
            text += " left " + (dot == std::string::npos ? name : name.substr(0, dot) + ".XXXXXX");
            ::unlink(name.c_str());
        }
        return text;
    }

    void SetUp() override
    {
        editor_test::SetUp();
        use_editor("append");
    }

    // Whether the editor ran since the last look.
    std::string editor_ran()
    {
        const bool ran = !editor_runs().empty();
        ::unlink(log_path.c_str());
        return ran ? ", edited" : ", not edited";
    }

    tdx_quad id{};
};

TEST_F(IoFaultSweep, DumpToAFile)
{
    for (const blob_form &form : dump_forms()) {
        SCOPED_TRACE(form.what);
        io_sweep sweep;
        sweep.setup = [&] { seed(blob_segments()); };
        sweep.run = [&] {
            const long result = watched([&] { return form.call(&id, db, tra, "dumped"); });
            const std::string held = file_exists("dumped") ? reached(read_file("dumped")) : "no file";
            ::unlink("dumped");
            return Outcome{result, "", "", held + left_behind()};
        };
        sweep.expected = [](op o, int) {
            const std::string all = std::to_string(blob_length) + " bytes";
            switch (o) {
            case io_faults::open: return Outcome{0, "", "", "no file"};
            // The transfer stops at the failed write; the buffer it held is lost.
            case io_faults::write: return Outcome{0, "", "", "0 bytes"};
            case io_faults::flush:
                return Outcome{0, "", "", std::to_string(stream_buffer) + " bytes"};
            // Every byte was handed on, but a failed close may have lost them.
            case io_faults::close: return Outcome{0, "", "", all};
            default: return Outcome{1, "", "", all};
            }
        };
        sweep.points = {{io_faults::open, 1}, {io_faults::write, 1}, {io_faults::flush, 1},
                        {io_faults::close, 1}};
        fault_sweep::run_sweep(sweep);
    }
}

TEST_F(IoFaultSweep, DisplayOnTheStandardOutput)
{
    for (const blob_form &form : display_forms()) {
        SCOPED_TRACE(form.what);
        io_sweep sweep;
        sweep.setup = [&] { seed(blob_segments()); };
        sweep.run = [&] {
            const long result = watched([&] { return form.call(&id, db, tra, "shown"); });
            return Outcome{result, "", "", left_behind()};
        };
        sweep.expected = [](op o, int) {
            switch (o) {
            case io_faults::write: return Outcome{0, "", "", ""};
            case io_faults::flush: return Outcome{0, blob_bytes().substr(0, stream_buffer), "", ""};
            default: return Outcome{1, blob_bytes(), "", ""};
            }
        };
        sweep.points = {{io_faults::write, 1}, {io_faults::flush, 1}};
        fault_sweep::run_sweep(sweep);
    }
}

TEST_F(IoFaultSweep, LoadFromAFile)
{
    for (const blob_form &form : load_forms()) {
        SCOPED_TRACE(form.what);
        io_sweep sweep;
        sweep.setup = [&] {
            db = tdxc_attach("blobs.tdb");
            id = tdx_quad{};
            write_file("text", "one\ntwo");
        };
        sweep.run = [&] {
            const long result = watched([&] { return form.call(&id, db, tra, "text"); });
            ::unlink("text");
            return Outcome{result, "", "", blob_text(id) + left_behind()};
        };
        sweep.expected = [](op o, int n) {
            switch (o) {
            case io_faults::open: return Outcome{0, "", "", "no blob"};
            // The blob was created before the first read: the id names it,
            // holding the lines sent before the failed read.
            case io_faults::read: return Outcome{0, "", "", n == 1 ? "blob " : "blob one\n"};
            // Every byte was read and stored: a failed close of a file that
            // was only read loses nothing.
            default: return Outcome{1, "", "", "blob one\n|two"};
            }
        };
        // Two reads: the text, then the end of the file.
        sweep.points = {{io_faults::open, 1}, {io_faults::read, 2}, {io_faults::close, 1}};
        fault_sweep::run_sweep(sweep);
    }
}

TEST_F(IoFaultSweep, EditThroughATemporaryFile)
{
    for (const blob_form &form : edit_forms()) {
        SCOPED_TRACE(form.what);
        tdx_quad old_id{};
        io_sweep sweep;
        sweep.setup = [&] {
            seed({"abc\n"});
            old_id = id;
        };
        sweep.run = [&] {
            const long result = watched([&] { return form.call(&id, db, tra, "NOTES"); });
            const std::string which = same_id(id, old_id) ? "old " : "new ";
            return Outcome{result, "", "", which + blob_text(id) + editor_ran() + left_behind()};
        };
        sweep.expected = [](op o, int n) {
            const std::string old_blob = "old blob abc\n";
            const std::string new_blob = "new blob abc\n|added in the editor\n";
            // The first open and close are the temporary file's as the blob
            // is dumped into it, the second ones its reopening for the reload.
            const bool before_editor = o == io_faults::create || o == io_faults::flush ||
                                       ((o == io_faults::open || o == io_faults::close) && n == 1) ||
                                       (o == io_faults::status && n == 1) || o == io_faults::run;
            switch (o) {
            // A failed reopen or read keeps the old blob; a failed close of
            // the reloaded file loses nothing.
            case io_faults::close:
                if (n == 2)
                    return Outcome{1, "", "", new_blob + ", edited"};
                break;
            // The file that cannot be removed stays; the edit itself was stored.
            case io_faults::remove:
                return Outcome{1, "", "", new_blob + ", edited left notes.XXXXXX"};
            case io_faults::op_count:
                return Outcome{1, "", "", new_blob + ", edited"};
            default:
                break;
            }
            return Outcome{0, "", "", old_blob + (before_editor ? ", not edited" : ", edited")};
        };
        // The dump's flush writes the small text; the reload reads it and
        // then the end of the file.
        sweep.points = {{io_faults::create, 1}, {io_faults::open, 2},   {io_faults::flush, 1},
                        {io_faults::close, 2},  {io_faults::read, 2},   {io_faults::status, 2},
                        {io_faults::run, 1},    {io_faults::remove, 1}};
        fault_sweep::run_sweep(sweep);
    }
}

TEST_F(IoFaultSweep, EditorCall)
{
    io_sweep sweep;
    sweep.setup = [&] { write_file("doc.txt", "text\n"); };
    sweep.run = [&] {
        const long result = watched([&] { return tdx__edit("doc.txt", 0); });
        const std::string held = read_file("doc.txt") + editor_ran();
        ::unlink("doc.txt");
        return Outcome{result, "", "", held + left_behind()};
    };
    sweep.expected = [](op o, int n) {
        const std::string changed = "text\nadded in the editor\n, edited";
        switch (o) {
        // Without the status before, the editor is not run.
        case io_faults::status:
            return n == 1 ? Outcome{0, "", "", "text\n, not edited"} : Outcome{0, "", "", changed};
        case io_faults::run: return Outcome{0, "", "", "text\n, not edited"};
        default: return Outcome{1, "", "", changed};
        }
    };
    sweep.points = {{io_faults::status, 2}, {io_faults::run, 1}};
    fault_sweep::run_sweep(sweep);
}

}  // namespace
}  // namespace blob_tests
