// NORIX_print and NORIX_print_screen on records that every thread shares:
// the printers only read them.
#include <array>
#include <cstdint>
#include <vector>

#include "form_control.h"
#include "form_records.h"
#include "forms.h"
#include "printer_capture.h"
#include "workloads.h"

namespace threads_test {

namespace {

form_attribute node(int32_t attribute, form_value_kind kind)
{
    form_attribute n{};
    n.attribute = attribute;
    n.kind = kind;
    return n;
}

// A form with a field object below it, whose last node leads back to the
// form: every kind of node, a sub-object and an object met again.
struct form_tree {
    form_object form{};
    form_object field{};
    std::array<form_attribute, 4> form_nodes{};
    std::array<form_attribute, 3> field_nodes{};

    form_tree()
    {
        form_nodes = {node(13, FORM_STRING), node(22, FORM_INTEGER), node(25, FORM_OBJECT),
                      node(40, FORM_WORD)};
        form_nodes[0].value.string = "EMPLOYEE";
        form_nodes[1].value.integer = -2;
        form_nodes[2].value.object = &field;
        form_nodes[3].value.word = 0xBEEF;
        field_nodes = {node(23, FORM_INTEGER), node(18, FORM_STRING), node(29, FORM_OBJECT)};
        field_nodes[0].value.integer = 12;
        field_nodes[1].value.string = nullptr;
        field_nodes[2].value.object = &form;
        link(form, form_nodes.data(), form_nodes.size());
        link(field, field_nodes.data(), field_nodes.size());
        form.value = 7;
        field.value = 0x1F;
    }

    static void link(form_object &object, form_attribute *nodes, size_t count)
    {
        for (size_t i = 0; i + 1 < count; ++i)
            nodes[i].next = &nodes[i + 1];
        object.attributes = nodes;
    }
};

// A screen of three rows of twelve cells, in rows of fourteen.
struct screen_record {
    static constexpr uint16_t width = 12, height = 3, stride = 14;
    std::vector<unsigned char> bytes;

    screen_record() : bytes(form_screen_header_size + size_t{height} * stride * sizeof(form_cell))
    {
        auto *s = reinterpret_cast<form_screen *>(bytes.data());
        s->width = width;
        s->height = height;
        s->stride = stride;
        constexpr std::array<const char *, height> rows = {"Name:  SMITH", "", " Dept   10  "};
        form_cell *cells = form_screen_cells(s);
        for (size_t r = 0; r < height; ++r)
            for (size_t c = 0; c < stride; ++c) {
                const std::string_view row = rows[r];
                cells[r * stride + c] = {c < row.size() ? row[c] : c < width ? ' ' : '#', 'R'};
            }
    }
};

// Built before the threads start (the test's reference run comes first) and
// never changed after.
const form_tree &tree()
{
    static const form_tree shared;
    return shared;
}

const screen_record &screen()
{
    static const screen_record shared;
    return shared;
}

}  // namespace

void print_fixtures()
{
    const form_tree &t = tree();
    // The forms core's answers are this thread's to set.
    formc_reset_attributes();
    formc_set_attribute(&t.form, 2, 10);
    formc_set_attribute(&t.form, 4, 80);
    formc_set_attribute(&t.field, 31, -1);
    NORIX_print(&t.form, 0);
    NORIX_print(&t.field, 3);
    NORIX_print_screen(screen().bytes.data(), "threads");
    NORIX_print_screen(nullptr, nullptr);
}

std::string printer_output()
{
    return printed_by_this_thread(print_fixtures);
}

}  // namespace threads_test
