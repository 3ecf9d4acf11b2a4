// Whole blobs to and from files: BLOB_dump and BLOB_load of a text of
// 80-byte lines against a plain fread/fwrite copy of the same bytes between
// the same kind of files. Twice: a 320 KiB text in the temporary directory,
// and a 64 MiB one in a RAM-backed directory (/dev/shm), where no disk hides
// the difference and the summary shows the MB/s a user would see.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "comparisons.h"
#include "dbutil.h"
#include "tdx_control.h"

namespace {

constexpr size_t line_length = 80;

// One size of text and the directory of its files, made at first use and
// removed at exit. The directory's name is kept in plain characters, which
// outlive every destructor run at exit.
struct setup {
    char dir[64];  // a template for mkdtemp, then the directory's name
    size_t line_count;
    bool made = false;
    std::string text = {};  // made at first use
};

setup small{"/tmp/morvanta_bench_XXXXXX", 4096};
// 64 MiB; where /dev/shm cannot take it, the temporary directory stands in.
setup large{"/dev/shm/morvanta_bench_XXXXXX", (64u << 20) / line_length};

void remove_scratch()
{
    for (const setup *s : {&small, &large}) {
        if (!s->made)
            continue;
        for (const char *f : {"/source", "/copy", "/dump"})
            unlink((std::string(s->dir) + f).c_str());
        rmdir(s->dir);
    }
}

const std::string &text(setup &s)
{
    if (s.text.empty()) {
        s.text.reserve(s.line_count * line_length);
        for (size_t i = 0; i < s.line_count; ++i) {
            s.text.append(line_length - 1, static_cast<char>('a' + i % 26));
            s.text += '\n';
        }
    }
    return s.text;
}

std::string path(setup &s, const char *file)
{
    static const bool registered = std::atexit(remove_scratch) == 0;
    (void)registered;
    if (!s.made && mkdtemp(s.dir) == nullptr) {
        std::strcpy(s.dir, "/tmp/morvanta_bench_XXXXXX");
        if (mkdtemp(s.dir) == nullptr)
            std::abort();
    }
    s.made = true;
    return std::string(s.dir) + "/" + file;
}

void write_file(const std::string &name, const std::string &bytes)
{
    FILE *f = std::fopen(name.c_str(), "w");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::string read_file(const std::string &name)
{
    std::string bytes;
    FILE *f = std::fopen(name.c_str(), "r");
    char area[4096];
    for (size_t n; f != nullptr && (n = std::fread(area, 1, sizeof area, f)) > 0;)
        bytes.append(area, n);
    if (f != nullptr)
        std::fclose(f);
    return bytes;
}

void copy_file(const std::string &from, const std::string &to)
{
    FILE *in = std::fopen(from.c_str(), "r");
    FILE *out = std::fopen(to.c_str(), "w");
    char area[4096];
    for (size_t n; (n = std::fread(area, 1, sizeof area, in)) > 0;)
        std::fwrite(area, 1, n, out);
    std::fclose(in);
    std::fclose(out);
}

// A fresh core holding the text as one segment per line, as a load makes it.
tdx_quad seed_lines(setup &s, tdx_handle *db)
{
    tdxc_reset();
    *db = tdxc_attach("bench.tdb");
    std::vector<const char *> pieces;
    std::vector<uint16_t> lengths;
    for (size_t at = 0; at < text(s).size(); at += line_length) {
        pieces.push_back(text(s).data() + at);
        lengths.push_back(line_length);
    }
    tdx_quad id{};
    tdxc_blob_create(&id, static_cast<int>(pieces.size()), pieces.data(), lengths.data());
    return id;
}

template <setup &s>
void dump(benchmark::State &state)
{
    tdx_handle db = 0;
    tdx_quad id = seed_lines(s, &db);
    const std::string target = path(s, "dump");
    for (auto _ : state)
        bench::keep(BLOB_dump(&id, db, 0, target.c_str()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text(s).size()));
    tdxc_reset();
}

template <setup &s>
void load(benchmark::State &state)
{
    const std::string source = path(s, "source");
    write_file(source, text(s));
    tdxc_reset();
    tdx_handle db = tdxc_attach("bench.tdb");
    for (auto _ : state) {
        tdx_quad id{};
        bench::keep(BLOB_load(&id, db, 0, source.c_str()));
        // Each loaded blob is dropped at once, outside the timing (see the
        // stream writes).
        state.PauseTiming();
        tdxc_reset();
        db = tdxc_attach("bench.tdb");
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text(s).size()));
}

template <setup &s>
void copy(benchmark::State &state)
{
    const std::string source = path(s, "source");
    const std::string target = path(s, "copy");
    write_file(source, text(s));
    for (auto _ : state)
        copy_file(source, target);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text(s).size()));
}

template <setup &s>
bool dump_agrees()
{
    tdx_handle db = 0;
    tdx_quad id = seed_lines(s, &db);
    write_file(path(s, "source"), text(s));
    copy_file(path(s, "source"), path(s, "copy"));
    const bool same = BLOB_dump(&id, db, 0, path(s, "dump").c_str()) == 1 &&
                      read_file(path(s, "dump")) == read_file(path(s, "copy"));
    tdxc_reset();
    return same;
}

// One segment per line, and the segments together are the copied file.
template <setup &s>
bool load_agrees()
{
    tdxc_reset();
    tdx_handle db = tdxc_attach("bench.tdb");
    write_file(path(s, "source"), text(s));
    copy_file(path(s, "source"), path(s, "copy"));
    tdx_quad id{};
    if (BLOB_load(&id, db, 0, path(s, "source").c_str()) != 1)
        return false;
    std::string joined;
    const int count = tdxc_blob_segment_count(&id);
    bool whole_lines = count == static_cast<int>(s.line_count);
    for (int i = 0; i < count; ++i) {
        const char *bytes = nullptr;
        const int length = tdxc_blob_segment(&id, i, &bytes);
        whole_lines = whole_lines && length == static_cast<int>(line_length);
        joined.append(bytes, static_cast<size_t>(length));
    }
    tdxc_reset();
    return whole_lines && joined == read_file(path(s, "copy"));
}

[[maybe_unused]] const bool registered = [] {
    bench::compare("blob_dump", 1.1, dump<small>, copy<small>, dump_agrees<small>);
    bench::compare("blob_load", 1.0, load<small>, copy<small>, load_agrees<small>);
    const size_t large_bytes = large.line_count * line_length;
    bench::compare("blob_dump_64MiB", 0, dump<large>, copy<large>, dump_agrees<large>, large_bytes);
    bench::compare("blob_load_64MiB", 0, load<large>, copy<large>, load_agrees<large>, large_bytes);
    return true;
}();

}  // namespace
