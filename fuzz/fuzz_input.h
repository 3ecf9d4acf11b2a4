// Reads a fuzz input as a series of small choices. Past the end every read
// yields zeros, so any input, however short, decodes to some call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace fuzz_input {

struct Input {
    const uint8_t *data;
    size_t size;
    size_t at = 0;

    bool empty() const { return at >= size; }
    uint8_t byte() { return at < size ? data[at++] : 0; }
    uint16_t word() { return static_cast<uint16_t>(byte() | (byte() << 8)); }
    uint32_t long_word() { return word() | (static_cast<uint32_t>(word()) << 16); }
    // A choice among `count` options.
    unsigned choice(unsigned count) { return count == 0 ? 0 : byte() % count; }
    // Up to `limit` bytes, as many as are left.
    std::string bytes(size_t limit)
    {
        const size_t n = size - (at < size ? at : size) < limit ? size - (at < size ? at : size) : limit;
        std::string out(reinterpret_cast<const char *>(data + (at < size ? at : size)), n);
        at += n;
        return out;
    }
    // A text without zero bytes: a length byte, then up to that many bytes,
    // cut at the first zero.
    std::string text()
    {
        std::string out = bytes(byte());
        const size_t nul = out.find('\0');
        return nul == std::string::npos ? out : out.substr(0, nul);
    }
};

// A heap copy of exactly `size` bytes (at least one is allocated), so the
// sanitizer sees any read or write past it.
inline char *exact_copy(const std::string &bytes, size_t size)
{
    char *copy = static_cast<char *>(std::malloc(size > 0 ? size : 1));
    for (size_t i = 0; i < size; ++i)
        copy[i] = i < bytes.size() ? bytes[i] : 0;
    return copy;
}

// A zero-terminated heap copy with no byte to spare.
inline char *terminated_copy(const std::string &text)
{
    char *copy = exact_copy(text, text.size() + 1);
    copy[text.size()] = '\0';
    return copy;
}

}  // namespace fuzz_input
