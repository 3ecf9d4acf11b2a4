// NORIX_print: a form object as an indented tree of its special attributes,
// its attribute nodes and, through them, its sub-objects.
#include <array>
#include <cinttypes>
#include <cstdint>
#include <cstdio>

#include "forms.h"
#include "record_view.h"

namespace {

using objprint::attribute_node;
using objprint::object_record;

constexpr std::array<const char *, 58> attribute_names = {
    "att_any = 0",          "att_inactive",         "att_display_x",
    "att_display_y",        "att_height",           "att_width",
    "att_reverse_video",    "att_bold",             "att_underline",
    "att_blank",            "att_box",              "att_end_display",
    "att_data",             "att_field_name",       "att_field_id",
    "att_relation_name",    "att_relation_id",      "att_rse",
    "att_literal_string",   "att_value_string",     "att_fill_string",
    "att_dtype",            "att_scale",            "att_length",
    "att_label",            "att_field",            "att_entree",
    "att_entree_value",     "att_menu",             "att_form",
    "att_temp_data",        "att_insert_right",     "att_tag",
    "att_picture",          "att_parameter_offset", "att_edit_string",
    "att_parameter_number", "att_update_data",      "att_view",
    "att_wakeup_flag",      "att_wakeup_string",    "att_updatable_flag",
    "att_terminator",       "att_must_fill",        "att_upcase",
    "att_temp",             "att_scroll_x",         "att_scroll_y",
    "att_border",           "att_index",            "att_segment_length",
    "att_prototype",        "att_reverse_for_update", "att_enumeration",
    "att_default_data",     "att_datatype",         "att_current_index",
    "****",
};

// A node's number comes from the forms core's memory: one outside the table
// shows as the table's last text rather than reading past the table.
const char *attribute_name(int32_t attribute)
{
    if (attribute < 0 || static_cast<std::size_t>(attribute) >= attribute_names.size())
        return attribute_names.back();
    // cppcheck 2.10 takes the elements of a std::array of pointers for integers.
    // cppcheck-suppress CastIntegerToAddressAtReturn
    return attribute_names[static_cast<std::size_t>(attribute)];
}

// The attributes asked of the forms core, by the names attribute_names gives
// their numbers.
enum special_attribute : int32_t {
    att_inactive = 1,
    att_display_x = 2,
    att_display_y = 3,
    att_height = 4,
    att_width = 5,
    att_reverse_video = 6,
    att_bold = 7,
    att_underline = 8,
    att_blank = 9,
    att_box = 10,
    att_insert_right = 31,
    att_wakeup_flag = 39,
    att_updatable_flag = 41,
    att_scroll_x = 46,
    att_scroll_y = 47,
    att_border = 48,
    att_index = 49,
    att_reverse_for_update = 52,
};

// Asked of the forms core for every object, in this order: the scroll
// position follows the display position, and the height the width. The list
// ends with 0, where the printer stops.
constexpr std::array<int32_t, 19> special_attributes = {
    att_display_x, att_display_y, att_scroll_x, att_scroll_y, att_width, att_height,
    att_border, att_index, att_inactive, att_reverse_video, att_bold, att_underline,
    att_box, att_blank, att_insert_right, att_updatable_flag, att_wakeup_flag,
    att_reverse_for_update, 0,
};

// The objects from the top of the printed tree down to the one being printed;
// the chain lives in the frames of the nested calls.
struct ancestor {
    const object_record *object;
    const ancestor *parent;
};

bool on_path(const object_record *object, const ancestor *path)
{
    for (; path != nullptr; path = path->parent)
        if (path->object == object)
            return true;
    return false;
}

void write_blanks(uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i)
        std::putchar(' ');
}

void print_special_attributes(const object_record *object, uint32_t indent)
{
    for (const int32_t attribute : special_attributes) {
        if (attribute == 0)
            break;
        const int32_t value =
            NORIX_get_attribute_value(const_cast<object_record *>(object), attribute);
        if (value == 0)
            continue;
        write_blanks(indent);
        std::printf("[ %s = %d ]\n", attribute_name(attribute), static_cast<int>(value));
    }
}

void print_object(const object_record *object, uint32_t indent, const ancestor *path);

// The number of distinct nodes in a list: up to its null, or, when its next
// pointers lead back into it, up to its first repeated node. Found with two
// walkers at different speeds, so a list of any length needs no memory.
size_t distinct_nodes(const attribute_node *first)
{
    const attribute_node *slow = first;
    const attribute_node *fast = first;
    for (;;) {
        if (fast == nullptr || fast->next == nullptr) {
            size_t count = 0;
            for (const attribute_node *node = first; node != nullptr; node = node->next)
                ++count;
            return count;
        }
        slow = slow->next;
        fast = fast->next->next;
        if (slow == fast)
            break;
    }
    // The walkers met inside the loop. Walkers one step apart per move, from
    // the first node and from the meeting node, meet again where it starts.
    const attribute_node *loop_start = first;
    size_t before_loop = 0;
    for (; loop_start != fast; loop_start = loop_start->next, fast = fast->next)
        ++before_loop;
    size_t loop_length = 1;
    for (const attribute_node *node = loop_start->next; node != loop_start; node = node->next)
        ++loop_length;
    return before_loop + loop_length;
}

// The name has been written; this writes the rest of the node's line, and for
// an object value the object itself. The tree is printed by recursion, one
// level per object below the top, and an object already on the path ends it.
// NOLINTNEXTLINE(misc-no-recursion)
void print_node_value(const attribute_node *node, uint32_t indent, const ancestor *path)
{
    switch (node->kind) {
    case objprint::kind_integer:
        std::printf(" = %d\n", static_cast<int>(node->value.integer));
        break;
    case objprint::kind_string: {
        const char *text = node->value.string;
        std::printf(" = \"%s\"\n", text != nullptr ? text : "(null)");
        break;
    }
    case objprint::kind_word:
        std::printf(" = %x\n", static_cast<unsigned>(node->value.word));
        break;
    case objprint::kind_object:
        std::printf("\n");
        print_object(node->value.object, indent + 2, path);
        break;
    default:
        break;
    }
}

// NOLINTNEXTLINE(misc-no-recursion): see print_node_value
void print_object(const object_record *object, uint32_t indent, const ancestor *path)
{
    if (object == nullptr)
        return;
    write_blanks(indent);
    std::printf("%" PRIxPTR " object (%x)\n", reinterpret_cast<uintptr_t>(object),
                static_cast<unsigned>(object->value));
    // An object inside its own subtree would be printed without end: its
    // header line names it, and the tree stops there.
    if (on_path(object, path))
        return;
    const ancestor here{object, path};
    const uint32_t inner = indent + 2;
    print_special_attributes(object, inner);
    // A list whose next pointers lead back ends at its first repeated node.
    size_t remaining = distinct_nodes(object->attributes);
    for (const attribute_node *node = object->attributes; remaining > 0; node = node->next, --remaining) {
        write_blanks(inner);
        std::printf("%s", attribute_name(node->attribute));
        print_node_value(node, inner, &here);
    }
}

}  // namespace

extern "C" void NORIX_print(const void *object, uint16_t indent)
{
    print_object(static_cast<const object_record *>(object), indent, nullptr);
}
