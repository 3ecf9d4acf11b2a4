// Blob streams a byte at a time. Reading: BLOB_get and the inline
// BLOB_get_byte against the floor of the stream's interface (the same record
// and buffer, the same refill through the client core, and per byte only the
// work the record fixes: decrement the 16-bit count, copy the byte at next,
// advance next, both kept in the record; behind a call per byte for
// BLOB_get, inline for BLOB_get_byte), and BLOB_get against fgetc_unlocked
// on fmemopen. Writing as applications do (BLOB_put_byte into Bopen's 512-byte
// buffer) against fputc_unlocked into open_memstream.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "comparisons.h"
#include "dbutil.h"
#include "tdx_control.h"

namespace {

constexpr size_t blob_bytes = 64 * 1024;

std::string sample_bytes()
{
    std::string bytes(blob_bytes, '\0');
    uint32_t x = 12345;
    for (char &c : bytes) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    return bytes;
}

const std::string &sample()
{
    static const std::string bytes = sample_bytes();
    return bytes;
}

struct read_setup {
    uint16_t segment;  // length of the blob's segments
    int32_t buffer;    // stream buffer
};

constexpr std::array<read_setup, 3> setups{{{80, 512}, {512, 512}, {4000, 1024}}};

// A fresh core holding the sample as segments of the given length.
tdx_quad seed(uint16_t segment, tdx_handle *db)
{
    tdxc_reset();
    *db = tdxc_attach("bench.tdb");
    std::vector<const char *> pieces;
    std::vector<uint16_t> lengths;
    for (size_t at = 0; at < sample().size(); at += segment) {
        pieces.push_back(sample().data() + at);
        lengths.push_back(static_cast<uint16_t>(std::min<size_t>(segment, sample().size() - at)));
    }
    tdx_quad id{};
    tdxc_blob_create(&id, static_cast<int>(pieces.size()), pieces.data(), lengths.data());
    return id;
}

blob_stream *open_stream(tdx_quad *id, tdx_handle db, int32_t buffer)
{
    tdx_status status[TDX_STATUS_LENGTH] = {};
    tdx_handle handle = 0;
    tdx_handle tra = 0;
    if (tdx__open_blob2(status, &db, &tra, &handle, id, 0, nullptr) != 0)
        std::abort();
    return BLOB_open(handle, nullptr, buffer);
}

uint64_t read_with_get(blob_stream *s)
{
    uint64_t sum = 0;
    for (int32_t c; (c = BLOB_get(s)) >= 0;)
        sum = sum * 31 + static_cast<uint64_t>(c);
    return sum;
}

uint64_t read_with_get_byte(blob_stream *s)
{
    uint64_t sum = 0;
    for (int32_t c; (c = BLOB_get_byte(s)) >= 0;)
        sum = sum * 31 + static_cast<uint64_t>(c);
    return sum;
}

// The per-byte work the record fixes, inline; the refill is BLOB_get's.
uint64_t read_at_floor(blob_stream *s)
{
    uint64_t sum = 0;
    for (;;) {
        if (--s->count >= 0) {
            sum = sum * 31 + static_cast<unsigned char>(*s->next++);
            // The application and the stream routines share the record, so
            // count and next live in it, not in registers, between bytes.
            asm volatile("" : : "r"(s) : "memory");
            continue;
        }
        tdx_status status[TDX_STATUS_LENGTH] = {};
        tdx__get_segment(status, &s->blob_handle, reinterpret_cast<uint16_t *>(&s->count),
                         static_cast<uint16_t>(s->buffer_length), s->buffer);
        if (status[1] != 0 && status[1] != TDX_SEGMENT_GOES_ON) {
            s->next = nullptr;
            s->count = 0;
            return sum;
        }
        s->next = s->buffer;
    }
}

// BLOB_get's interface is a call per byte: its floor is the same per-byte
// work behind a call of the same shape, with the same refill.
[[gnu::noinline]] int32_t floor_get(blob_stream *s)
{
    if (--s->count >= 0)
        return static_cast<unsigned char>(*s->next++);
    for (;;) {
        tdx_status status[TDX_STATUS_LENGTH] = {};
        tdx__get_segment(status, &s->blob_handle, reinterpret_cast<uint16_t *>(&s->count),
                         static_cast<uint16_t>(s->buffer_length), s->buffer);
        if (status[1] != 0 && status[1] != TDX_SEGMENT_GOES_ON) {
            s->next = nullptr;
            s->count = 0;
            return -1;
        }
        s->next = s->buffer;
        if (--s->count >= 0)
            return static_cast<unsigned char>(*s->next++);
    }
}

uint64_t read_with_floor_get(blob_stream *s)
{
    uint64_t sum = 0;
    for (int32_t c; (c = floor_get(s)) >= 0;)
        sum = sum * 31 + static_cast<uint64_t>(c);
    return sum;
}

uint64_t read_with_fgetc(FILE *file)
{
    uint64_t sum = 0;
    for (int c; (c = fgetc_unlocked(file)) != EOF;)
        sum = sum * 31 + static_cast<uint64_t>(c);
    return sum;
}

template <size_t I, uint64_t (*reader)(blob_stream *)>
void read_stream(benchmark::State &state)
{
    tdx_handle db = 0;
    tdx_quad id = seed(setups[I].segment, &db);
    for (auto _ : state) {
        blob_stream *s = open_stream(&id, db, setups[I].buffer);
        bench::keep(reader(s));
        BLOB_close(s);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * blob_bytes));
}

void read_fgetc(benchmark::State &state)
{
    std::string bytes = sample();
    for (auto _ : state) {
        FILE *file = fmemopen(bytes.data(), bytes.size(), "r");
        bench::keep(read_with_fgetc(file));
        std::fclose(file);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * blob_bytes));
}

template <size_t I, uint64_t (*reader)(blob_stream *)>
bool read_agrees()
{
    std::string bytes = sample();
    FILE *file = fmemopen(bytes.data(), bytes.size(), "r");
    const uint64_t expected = read_with_fgetc(file);
    std::fclose(file);
    tdx_handle db = 0;
    tdx_quad id = seed(setups[I].segment, &db);
    blob_stream *s = open_stream(&id, db, setups[I].buffer);
    const uint64_t got = reader(s);
    BLOB_close(s);
    return got == expected;
}

template <size_t I>
void register_setup()
{
    const std::string suffix =
        std::to_string(setups[I].segment) + "_" + std::to_string(setups[I].buffer);
    bench::compare("blob_get_" + suffix, 1.05, read_stream<I, read_with_get>,
                   read_stream<I, read_with_floor_get>, read_agrees<I, read_with_get>);
    bench::compare("get_byte_" + suffix, 0, read_stream<I, read_with_get_byte>,
                   read_stream<I, read_at_floor>, read_agrees<I, read_with_get_byte>);
}

// ---- writing ----

// The bytes written are computed, not read from memory: a source read at the
// same pace as the buffer is written can meet it at the same offset within
// a 4 KiB page, and the processor then stalls each load behind the stores.
constexpr int32_t written_byte(size_t i)
{
    return static_cast<int32_t>((i * 131 + (i >> 8)) & 0xFF);
}

void write_with_put_byte(tdx_handle db, tdx_quad *id)
{
    blob_stream *s = Bopen(id, db, 0, "w");
    for (size_t i = 0; i < blob_bytes; ++i)
        BLOB_put_byte(written_byte(i), s);
    BLOB_close(s);
}

void write_stream(benchmark::State &state)
{
    tdxc_reset();
    tdx_handle db = tdxc_attach("bench.tdb");
    for (auto _ : state) {
        tdx_quad id{};
        write_with_put_byte(db, &id);
        // Each written blob is dropped at once, outside the timing: blobs
        // piled up in the stand-in core and then dropped together make the
        // allocator hand memory back and fault it in anew, which is neither
        // the stream's cost nor the core's.
        state.PauseTiming();
        tdxc_reset();
        db = tdxc_attach("bench.tdb");
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * blob_bytes));
}

std::string write_with_fputc()
{
    char *bytes = nullptr;
    size_t length = 0;
    FILE *file = open_memstream(&bytes, &length);
    for (size_t i = 0; i < blob_bytes; ++i)
        fputc_unlocked(written_byte(i), file);
    std::fclose(file);
    std::string result(bytes, length);
    std::free(bytes);
    return result;
}

void write_fputc(benchmark::State &state)
{
    for (auto _ : state) {
        char *bytes = nullptr;
        size_t length = 0;
        FILE *file = open_memstream(&bytes, &length);
        for (size_t i = 0; i < blob_bytes; ++i)
            fputc_unlocked(written_byte(i), file);
        std::fclose(file);
        bench::keep(bytes);
        std::free(bytes);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * blob_bytes));
}

// The blob holds the same bytes as the memory stream, in segments of the
// stream's buffer length and a shorter last one.
bool write_agrees()
{
    tdxc_reset();
    tdx_handle db = tdxc_attach("bench.tdb");
    tdx_quad id{};
    write_with_put_byte(db, &id);
    std::string joined;
    const int count = tdxc_blob_segment_count(&id);
    for (int i = 0; i < count; ++i) {
        const char *bytes = nullptr;
        const int length = tdxc_blob_segment(&id, i, &bytes);
        if (length != BLOB_BUFFER_LENGTH && i != count - 1)
            return false;
        joined.append(bytes, static_cast<size_t>(length));
    }
    return joined == write_with_fputc();
}

[[maybe_unused]] const bool registered = [] {
    register_setup<0>();
    register_setup<1>();
    register_setup<2>();
    bench::compare("blob_get_fgetc", 0, read_stream<0, read_with_get>, read_fgetc,
                   read_agrees<0, read_with_get>);
    bench::compare("put_byte_fputc", 1.3, write_stream, write_fputc, write_agrees);
    return true;
}();

}  // namespace
