// NORIX_print_screen on screen records built as the forms core lays them out.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "capture.h"
#include "form_records.h"
#include "forms.h"

namespace {

// A screen record with its cells inside it. Each row's text fills its first
// cells, blanks the rest of the width, and '#' the cells past the width; the
// second byte of every cell is a non-blank that must not show.
struct screen_image {
    std::vector<unsigned char> bytes;

    screen_image(uint16_t width, uint16_t height, uint16_t stride,
                 const std::vector<std::string> &rows = {})
        : bytes(form_screen_header_size + std::size_t{height} * stride * sizeof(form_cell) + 2)
    {
        form_screen *s = screen();
        s->width = width;
        s->height = height;
        s->stride = stride;
        form_cell *cells = form_screen_cells(s);
        for (std::size_t r = 0; r < height; ++r) {
            const std::string text = r < rows.size() ? rows[r] : std::string();
            for (std::size_t c = 0; c < stride; ++c) {
                form_cell &cell = cells[r * stride + c];
                cell.character = c >= width ? '#' : c < text.size() ? text[c] : ' ';
                cell.rendition = 'R';
            }
        }
    }

    form_screen *screen() { return reinterpret_cast<form_screen *>(bytes.data()); }
};

std::string printed(const void *screen, const char *title)
{
    return testing_support::capture_stdout([&] { NORIX_print_screen(screen, title); });
}

std::string framed(const std::string &title, const std::string &rows)
{
    return title + "\n++++++++++\n" + rows + "----------\n";
}

TEST(PrintScreen, RowsLoseTrailingBlanksOnly)
{
    struct screen_case {
        const char *what;
        uint16_t width, height, stride;
        std::vector<std::string> rows;
        std::string expected_rows;
    };
    const std::vector<screen_case> cases = {
        {"no rows", 5, 0, 5, {}, ""},
        {"rows of blanks", 4, 2, 4, {"", "    "}, "\n\n"},
        {"only the first cell", 4, 1, 4, {"x"}, "x\n"},
        {"full row, leading and inner blanks kept", 6, 3, 6,
         {"abcdef", "  x", "a b   "}, "abcdef\n  x\na b\n"},
        {"stride past the width", 3, 2, 7, {"abc", " z"}, "abc\n z\n"},
        {"width 0", 0, 2, 4, {}, "\n\n"},
        {"zero byte ends the line", 6, 3, 6,
         {std::string("ab\0d", 4), std::string("ab\0  ", 5), std::string("\0x", 2)},
         "ab\nab\n\n"},
    };
    for (const screen_case &c : cases) {
        screen_image image(c.width, c.height, c.stride, c.rows);
        EXPECT_EQ(printed(image.screen(), "Title line"), framed("Title line", c.expected_rows))
            << c.what;
    }
}

TEST(PrintScreen, RowsAreNoWiderThanTheLineArea)
{
    struct wide_case {
        uint16_t width;
        std::size_t shown;
    };
    for (const wide_case &c : {wide_case{1023, 1023}, wide_case{1024, 1023},
                               wide_case{5000, 1023}}) {
        screen_image image(c.width, 2, c.width, {std::string(c.width, 'w'), ""});
        const std::string row(c.shown, 'w');
        EXPECT_EQ(printed(image.screen(), "wide"), framed("wide", row + "\n\n"))
            << "width " << c.width;
    }
}

TEST(PrintScreen, MissingScreenOrTitlePrintsTheFrame)
{
    screen_image image(2, 1, 2, {"ok"});
    EXPECT_EQ(printed(nullptr, "none"), framed("none", ""));
    EXPECT_EQ(printed(image.screen(), nullptr), framed("", "ok\n"));
}

}  // namespace
