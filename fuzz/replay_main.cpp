// Replays a fuzz target's seed corpus, then a fixed series of mutations of
// it, so that the sanitizer builds check the byte parsers on every run.
//   replay CORPUS_DIR [MUTATIONS]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "fuzz_target.h"

namespace {

using Input = std::vector<uint8_t>;

Input read_input(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return Input(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

constexpr uint8_t interesting[] = {0, 1, 2, 4, 5, 6, 11, 12, 32, 33, 0x7F, 0x80, 0xFF, ' ', '-', '.', '/'};

Input mutate(Input input, std::mt19937 &random)
{
    const int steps = 1 + static_cast<int>(random() % 4);
    for (int s = 0; s < steps; ++s) {
        const size_t at = input.empty() ? 0 : random() % input.size();
        switch (random() % 6) {
        case 0:
            if (!input.empty())
                input[at] ^= static_cast<uint8_t>(1u << (random() % 8));
            break;
        case 1:
            if (!input.empty())
                input[at] = interesting[random() % std::size(interesting)];
            break;
        case 2:
            input.insert(input.begin() + static_cast<long>(at), interesting[random() % std::size(interesting)]);
            break;
        case 3:
            if (!input.empty())
                input.erase(input.begin() + static_cast<long>(at));
            break;
        case 4: {  // repeat a piece, to make long fields
            const size_t length = std::min<size_t>(input.size() - at, 1 + random() % 64);
            const Input piece(input.begin() + static_cast<long>(at),
                              input.begin() + static_cast<long>(at + length));
            for (int r = static_cast<int>(random() % 8); r >= 0; --r)
                input.insert(input.end(), piece.begin(), piece.end());
            break;
        }
        default:
            if (!input.empty())
                input.resize(at);
            break;
        }
    }
    return input;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR [MUTATIONS]\n", argv[0]);
        return 2;
    }
    std::vector<Input> seeds;
    std::vector<std::filesystem::path> paths;
    for (const auto &entry : std::filesystem::directory_iterator(argv[1]))
        if (entry.is_regular_file())
            paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    for (const auto &path : paths)
        seeds.push_back(read_input(path));
    if (seeds.empty()) {
        std::fprintf(stderr, "no seeds in %s\n", argv[1]);
        return 2;
    }
    for (const Input &seed : seeds)
        LLVMFuzzerTestOneInput(seed.data(), seed.size());

    const long mutations = argc > 2 ? std::atol(argv[2]) : 2000;
    std::mt19937 random(20261210);
    for (long i = 0; i < mutations; ++i) {
        const Input input = mutate(seeds[random() % seeds.size()], random);
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("%zu seeds and %ld mutations replayed\n", seeds.size(), mutations);
    return 0;
}
