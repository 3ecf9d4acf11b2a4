// NORIX_print on object graphs and NORIX_print_screen on screens decoded from
// the input. The graphs keep the record rules (attribute numbers are mostly
// in range, strings are terminated) but their node lists and sub-objects may
// lead back into themselves. The printed text goes to /dev/null.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "form_control.h"
#include "form_records.h"
#include "forms.h"
#include "fuzz_input.h"
#include "fuzz_target.h"

namespace {

// Objects shared along many paths print once per path: small graphs keep
// one input's output bounded.
constexpr unsigned max_objects = 5;
constexpr unsigned max_nodes = 8;
constexpr unsigned max_screen_width = 1023;  // a row and its zero fit the printer's line

// Standard output goes to /dev/null for the length of one print.
template <typename F>
void quietly(F &&print)
{
    static const int null_fd = ::open("/dev/null", O_WRONLY);
    std::fflush(stdout);
    const int saved = ::dup(1);
    ::dup2(null_fd, 1);
    print();
    std::fflush(stdout);
    ::dup2(saved, 1);
    ::close(saved);
}

void print_graph(fuzz_input::Input &in)
{
    formc_reset_attributes();
    const unsigned object_count = 1 + in.choice(max_objects);
    const unsigned node_count = in.choice(max_nodes + 1);
    std::vector<form_object> objects(object_count);
    std::vector<form_attribute> nodes(node_count);
    std::vector<std::string> strings;
    strings.reserve(node_count);
    // An index past the table stands for null.
    auto object_at = [&](unsigned i) { return i < object_count ? &objects[i] : nullptr; };
    auto node_at = [&](unsigned i) { return i < node_count ? &nodes[i] : nullptr; };
    for (form_object &object : objects) {
        object.value = in.word();
        object.attributes = node_at(in.choice(node_count + 1));
        // A few special attributes of the object; most numbers are in the list.
        for (unsigned n = in.choice(3); n > 0; --n)
            formc_set_attribute(&object, static_cast<int32_t>(in.choice(60)),
                                static_cast<int32_t>(in.long_word()));
    }
    for (form_attribute &node : nodes) {
        node.next = node_at(in.choice(node_count + 2));
        node.kind = in.choice(6);
        node.attribute = in.choice(16) == 0 ? static_cast<int32_t>(in.long_word())
                                            : static_cast<int32_t>(in.choice(58));
        switch (node.kind) {
        case FORM_STRING:
            strings.push_back(in.text());
            node.value.string = in.choice(8) == 0 ? nullptr : strings.back().c_str();
            break;
        case FORM_OBJECT:
            node.value.object = object_at(in.choice(object_count + 1));
            break;
        default:
            node.value.word = in.long_word();
            break;
        }
    }
    const uint16_t indent = static_cast<uint16_t>(in.choice(40));
    quietly([&] { NORIX_print(&objects[in.choice(object_count)], indent); });
}

void print_screen(fuzz_input::Input &in)
{
    const uint16_t width = static_cast<uint16_t>(in.word() % (max_screen_width + 1));
    const uint16_t height = static_cast<uint16_t>(in.choice(24));
    const uint16_t stride = static_cast<uint16_t>(width + in.choice(8));
    // The record holds exactly the cells its rows reach.
    size_t cells = height == 0 ? 0 : static_cast<size_t>(height - 1) * stride + width;
    if (cells == 0)
        cells = 1;
    const size_t bytes = form_screen_header_size + cells * sizeof(form_cell);
    auto *screen = static_cast<form_screen *>(std::calloc(1, bytes));
    screen->width = width;
    screen->height = height;
    screen->stride = stride;
    form_cell *cell = form_screen_cells(screen);
    const std::string characters = in.bytes(cells);
    for (size_t i = 0; i < cells; ++i) {
        // Mostly blanks and letters, so that trailing blanks are cut often.
        const char c = i < characters.size() ? characters[i] : ' ';
        cell[i].character = (c & 0x80) ? ' ' : c;
        cell[i].rendition = static_cast<uint8_t>(c);
    }
    char *title = fuzz_input::terminated_copy(in.text());
    quietly([&] { NORIX_print_screen(screen, title); });
    std::free(title);
    std::free(screen);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz_input::Input in{data, size};
    if (in.choice(4) == 0)
        print_screen(in);
    else
        print_graph(in);
    return 0;
}
