// A fuzz target takes one input of bytes; it must not crash, read or write
// out of bounds, or leak, whatever the bytes. The same targets build for
// libFuzzer (clang) and for the replay driver (any compiler), which runs
// the seed corpus and a fixed series of mutations of it as an ordinary test.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
