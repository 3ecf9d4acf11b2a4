// Whole blobs to and from files: BLOB_dump and BLOB_load of a text of
// 80-byte lines against a plain fread/fwrite copy of the same bytes between
// the same kind of files.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "comparisons.h"
#include "dbutil.h"
#include "tdx_control.h"

namespace {

constexpr size_t line_length = 80;
constexpr size_t line_count = 4096;

std::string lines()
{
    std::string text;
    for (size_t i = 0; i < line_count; ++i) {
        std::string line(line_length - 1, static_cast<char>('a' + i % 26));
        line += '\n';
        text += line;
    }
    return text;
}

const std::string &text()
{
    static const std::string t = lines();
    return t;
}

// Files live in a directory of their own, removed at exit. Its name is kept
// in plain characters, which outlive every destructor run at exit.
char scratch_dir[] = "/tmp/morvanta_bench_XXXXXX";

void remove_scratch()
{
    for (const char *f : {"/source", "/copy", "/dump"})
        unlink((std::string(scratch_dir) + f).c_str());
    rmdir(scratch_dir);
}

const char *scratch()
{
    static const bool made = [] {
        if (mkdtemp(scratch_dir) == nullptr)
            std::abort();
        std::atexit(remove_scratch);
        return true;
    }();
    (void)made;
    return scratch_dir;
}

std::string path(const char *file)
{
    return std::string(scratch()) + "/" + file;
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
tdx_quad seed_lines(tdx_handle *db)
{
    tdxc_reset();
    *db = tdxc_attach("bench.tdb");
    std::vector<const char *> pieces;
    std::vector<uint16_t> lengths;
    for (size_t at = 0; at < text().size(); at += line_length) {
        pieces.push_back(text().data() + at);
        lengths.push_back(line_length);
    }
    tdx_quad id{};
    tdxc_blob_create(&id, static_cast<int>(pieces.size()), pieces.data(), lengths.data());
    return id;
}

void dump(benchmark::State &state)
{
    tdx_handle db = 0;
    tdx_quad id = seed_lines(&db);
    const std::string target = path("dump");
    for (auto _ : state)
        bench::keep(BLOB_dump(&id, db, 0, target.c_str()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text().size()));
}

void load(benchmark::State &state)
{
    write_file(path("source"), text());
    tdxc_reset();
    tdx_handle db = tdxc_attach("bench.tdb");
    const std::string source = path("source");
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
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text().size()));
}

void copy(benchmark::State &state)
{
    write_file(path("source"), text());
    const std::string source = path("source");
    const std::string target = path("copy");
    for (auto _ : state)
        copy_file(source, target);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text().size()));
}

bool dump_agrees()
{
    tdx_handle db = 0;
    tdx_quad id = seed_lines(&db);
    write_file(path("source"), text());
    copy_file(path("source"), path("copy"));
    return BLOB_dump(&id, db, 0, path("dump").c_str()) == 1 &&
           read_file(path("dump")) == read_file(path("copy"));
}

// One segment per line, and the segments together are the copied file.
bool load_agrees()
{
    tdxc_reset();
    tdx_handle db = tdxc_attach("bench.tdb");
    write_file(path("source"), text());
    copy_file(path("source"), path("copy"));
    tdx_quad id{};
    if (BLOB_load(&id, db, 0, path("source").c_str()) != 1)
        return false;
    std::string joined;
    const int count = tdxc_blob_segment_count(&id);
    for (int i = 0; i < count; ++i) {
        const char *bytes = nullptr;
        const int length = tdxc_blob_segment(&id, i, &bytes);
        if (length != static_cast<int>(line_length))
            return false;
        joined.append(bytes, static_cast<size_t>(length));
    }
    return count == static_cast<int>(line_count) && joined == read_file(path("copy"));
}

[[maybe_unused]] const bool registered = [] {
    bench::compare("blob_dump", 2.5, dump, copy, dump_agrees);
    bench::compare("blob_load", 2.5, load, copy, load_agrees);
    return true;
}();

}  // namespace
