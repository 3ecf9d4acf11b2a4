// NORIX_print_screen: the characters of a screen record, row by row.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "forms.h"
#include "record_view.h"

namespace {

// One row and its terminator; cells of a wider row beyond this are not shown.
constexpr std::size_t line_area_size = 1024;
constexpr std::size_t widest_row = line_area_size - 1;

void print_rows(const objprint::screen_record *screen)
{
    const auto *cells =
        reinterpret_cast<const unsigned char *>(screen) + objprint::screen_cells_offset;
    const std::size_t width = std::min<std::size_t>(screen->width, widest_row);
    const std::size_t stride = screen->stride;
    for (uint16_t row = 0; row < screen->height; ++row) {
        const unsigned char *cell = cells + row * stride * objprint::screen_cell_size;
        std::array<char, line_area_size> line;
        // A zero byte counts as a character here, so the line ends at it.
        std::size_t length = 0;
        for (std::size_t column = 0; column < width; ++column) {
            line[column] = static_cast<char>(cell[column * objprint::screen_cell_size]);
            if (line[column] != ' ')
                length = column + 1;
        }
        line[length] = '\0';
        std::printf("%s\n", line.data());
    }
}

}  // namespace

extern "C" void NORIX_print_screen(const void *screen, const char *title)
{
    std::printf("%s\n++++++++++\n", title != nullptr ? title : "");
    if (screen != nullptr)
        print_rows(static_cast<const objprint::screen_record *>(screen));
    std::printf("----------\n");
}
