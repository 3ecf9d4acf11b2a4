// Records the size of every tdx__alloc call made by the library under test.
#pragma once

#include <cstdint>
#include <vector>

namespace allocation_recorder {

// Sizes asked for since the last clear, in call order (failed calls included).
const std::vector<int32_t> &sizes();
void clear();

}  // namespace allocation_recorder
