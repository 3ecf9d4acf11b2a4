// NORIX_print on objects built as the forms core lays them out.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "capture.h"
#include "form_control.h"
#include "form_records.h"
#include "forms.h"

namespace {

std::string address(const void *object)
{
    char text[32];
    std::snprintf(text, sizeof text, "%" PRIxPTR, reinterpret_cast<uintptr_t>(object));
    return text;
}

std::string printed(const void *object, uint16_t indent)
{
    return testing_support::capture_stdout([&] { NORIX_print(object, indent); });
}

// Links nodes into the object's attribute list in the order given.
void link(form_object &object, std::vector<form_attribute> &nodes)
{
    for (std::size_t i = 0; i + 1 < nodes.size(); ++i)
        nodes[i].next = &nodes[i + 1];
    object.attributes = nodes.empty() ? nullptr : &nodes[0];
}

form_attribute integer_node(int32_t attribute, int32_t value)
{
    form_attribute node{};
    node.kind = FORM_INTEGER;
    node.attribute = attribute;
    node.value.integer = value;
    return node;
}

form_attribute string_node(int32_t attribute, const char *text)
{
    form_attribute node{};
    node.kind = FORM_STRING;
    node.attribute = attribute;
    node.value.string = text;
    return node;
}

form_attribute object_node(int32_t attribute, form_object *object)
{
    form_attribute node{};
    node.kind = FORM_OBJECT;
    node.attribute = attribute;
    node.value.object = object;
    return node;
}

form_attribute word_node(int32_t attribute, uint32_t word)
{
    form_attribute node{};
    node.kind = FORM_WORD;
    node.attribute = attribute;
    node.value.word = word;
    return node;
}

form_attribute node_of_kind(int32_t attribute, uint32_t kind)
{
    form_attribute node = integer_node(attribute, 1);
    node.kind = kind;
    return node;
}

class PrintObject : public testing::Test {
protected:
    void SetUp() override { formc_reset_attributes(); }
    void TearDown() override { formc_reset_attributes(); }
};

TEST_F(PrintObject, BareObjectPrintsItsHeaderAtTheIndent)
{
    struct header_case {
        uint16_t indent;
        uint16_t value;
        std::string expected_tail;
    };
    for (const header_case &c : {header_case{0, 0, " object (0)\n"},
                                 header_case{3, 0xbeef, " object (beef)\n"},
                                 header_case{1, 0xffff, " object (ffff)\n"}}) {
        form_object object{};
        object.value = c.value;
        EXPECT_EQ(printed(&object, c.indent),
                  std::string(c.indent, ' ') + address(&object) + c.expected_tail);
    }
}

TEST_F(PrintObject, AsksForEverySpecialAttributeOfTheObjectInListOrder)
{
    form_object object{};
    printed(&object, 0);

    const std::vector<int32_t> expected = {2, 3, 46, 47, 5, 4, 48, 49, 1,
                                           6, 7, 8,  10, 9, 31, 41, 39, 52};
    ASSERT_EQ(formc_attribute_requests(), static_cast<int32_t>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto index = static_cast<int32_t>(i);
        EXPECT_EQ(formc_attribute_request_number(index), expected[i]) << "request " << i;
        EXPECT_EQ(formc_attribute_request_object(index), &object) << "request " << i;
    }
}

TEST_F(PrintObject, ShowsNonZeroSpecialAttributesInListOrder)
{
    form_object object{};
    // Set in attribute-number order; printed in the list's order.
    const std::vector<std::pair<int32_t, int32_t>> values = {
        {1, 1},  {2, 5},  {3, -7}, {4, 24}, {5, 80}, {6, 0},  {7, 1},   {8, 0},   {9, 3},
        {10, 1}, {12, 9}, {31, 1}, {39, 0}, {41, 1}, {46, 2}, {47, 0},  {48, 4},  {49, -1},
        {52, 2147483647},
    };
    for (const auto &[attribute, value] : values)
        formc_set_attribute(&object, attribute, value);

    EXPECT_EQ(printed(&object, 1), " " + address(&object) + " object (0)\n"
                                   "   [ att_display_x = 5 ]\n"
                                   "   [ att_display_y = -7 ]\n"
                                   "   [ att_scroll_x = 2 ]\n"
                                   "   [ att_width = 80 ]\n"
                                   "   [ att_height = 24 ]\n"
                                   "   [ att_border = 4 ]\n"
                                   "   [ att_index = -1 ]\n"
                                   "   [ att_inactive = 1 ]\n"
                                   "   [ att_bold = 1 ]\n"
                                   "   [ att_box = 1 ]\n"
                                   "   [ att_blank = 3 ]\n"
                                   "   [ att_insert_right = 1 ]\n"
                                   "   [ att_updatable_flag = 1 ]\n"
                                   "   [ att_reverse_for_update = 2147483647 ]\n");
}

TEST_F(PrintObject, PrintsEachNodeByItsValueKind)
{
    form_object object{};
    object.value = 0x2a;
    std::vector<form_attribute> nodes = {
        integer_node(0, 0),
        integer_node(23, -42),
        string_node(13, "CUSTOMER"),
        string_node(18, ""),
        word_node(21, 0xdeadbeef),
        word_node(22, 0),
        node_of_kind(56, 7),  // unknown kinds write the name and nothing more
        node_of_kind(57, 0),
        integer_node(55, INT32_MIN),
    };
    link(object, nodes);

    EXPECT_EQ(printed(&object, 0), address(&object) + " object (2a)\n"
                                   "  att_any = 0 = 0\n"
                                   "  att_length = -42\n"
                                   "  att_field_name = \"CUSTOMER\"\n"
                                   "  att_literal_string = \"\"\n"
                                   "  att_dtype = deadbeef\n"
                                   "  att_scale = 0\n"
                                   "  att_current_index  ****  att_datatype = -2147483648\n");
}

TEST_F(PrintObject, IntegerAndWordValuesIgnoreTheRestOfThePointerWideValueWord)
{
    form_object object{};
    std::vector<form_attribute> nodes = {integer_node(36, 0), word_node(32, 0)};
    // Where pointers are eight bytes, leave the value word's other four bytes
    // non-zero: the integer and the word are read from the union's members.
    nodes[0].value.string = "x";
    nodes[0].value.integer = -3;
    nodes[1].value.string = "y";
    nodes[1].value.word = 0x0badf00d;
    link(object, nodes);

    EXPECT_EQ(printed(&object, 0), address(&object) + " object (0)\n"
                                   "  att_parameter_number = -3\n"
                                   "  att_tag = badf00d\n");
}

TEST_F(PrintObject, SubObjectsNestFourColumnsDeeperThanTheirParent)
{
    form_object form{}, field{}, prototype{};
    form.value = 1;
    field.value = 2;
    prototype.value = 3;
    formc_set_attribute(&field, 5, 10);
    formc_set_attribute(&prototype, 49, 4);
    std::vector<form_attribute> form_nodes = {object_node(25, &field), integer_node(32, 7)};
    std::vector<form_attribute> field_nodes = {string_node(13, "NAME"),
                                               object_node(51, &prototype)};
    link(form, form_nodes);
    link(field, field_nodes);

    EXPECT_EQ(printed(&form, 2), "  " + address(&form) + " object (1)\n"
                                 "    att_field\n"
                                 "      " + address(&field) + " object (2)\n"
                                 "        [ att_width = 10 ]\n"
                                 "        att_field_name = \"NAME\"\n"
                                 "        att_prototype\n"
                                 "          " + address(&prototype) + " object (3)\n"
                                 "            [ att_index = 4 ]\n"
                                 "    att_tag = 7\n");
}

TEST_F(PrintObject, AttributeNumberOutsideTheTableShowsAsTheLastName)
{
    for (const int32_t attribute : {57, 58, -1, INT32_MAX, INT32_MIN}) {
        form_object object{};
        std::vector<form_attribute> nodes = {integer_node(attribute, 1)};
        link(object, nodes);
        EXPECT_EQ(printed(&object, 0), address(&object) + " object (0)\n  **** = 1\n")
            << "attribute " << attribute;
    }
}

TEST_F(PrintObject, ObjectMetAgainInsideItsOwnTreeShowsItsHeaderOnly)
{
    form_object self{};
    std::vector<form_attribute> self_nodes = {object_node(29, &self), integer_node(32, 1)};
    link(self, self_nodes);
    EXPECT_EQ(printed(&self, 0), address(&self) + " object (0)\n"
                                 "  att_form\n"
                                 "    " + address(&self) + " object (0)\n"
                                 "  att_tag = 1\n");

    form_object form{}, field{};
    formc_set_attribute(&form, 2, 8);
    std::vector<form_attribute> form_nodes = {object_node(25, &field)};
    std::vector<form_attribute> field_nodes = {object_node(29, &form), integer_node(14, 3)};
    link(form, form_nodes);
    link(field, field_nodes);
    EXPECT_EQ(printed(&form, 0), address(&form) + " object (0)\n"
                                 "  [ att_display_x = 8 ]\n"
                                 "  att_field\n"
                                 "    " + address(&field) + " object (0)\n"
                                 "      att_form\n"
                                 "        " + address(&form) + " object (0)\n"
                                 "      att_field_id = 3\n");
}

TEST_F(PrintObject, ObjectSharedBySiblingsIsPrintedInFullEachTime)
{
    form_object form{}, shared{};
    std::vector<form_attribute> form_nodes = {object_node(25, &shared), object_node(51, &shared)};
    std::vector<form_attribute> shared_nodes = {integer_node(32, 5)};
    link(form, form_nodes);
    link(shared, shared_nodes);

    const std::string shared_text = "    " + address(&shared) + " object (0)\n"
                                    "      att_tag = 5\n";
    EXPECT_EQ(printed(&form, 0), address(&form) + " object (0)\n"
                                 "  att_field\n" + shared_text +
                                 "  att_prototype\n" + shared_text);
}

// A list whose next pointers lead back is printed up to its first repeated
// node, once each, and the object's printing ends there.
TEST_F(PrintObject, NodeListThatLoopsBackEndsAtItsFirstRepeatedNode)
{
    const struct {
        const char *what;
        std::size_t nodes;
        std::size_t loops_back_to;
    } cases[] = {
        {"node onto itself", 1, 0},
        {"last onto first", 3, 0},
        {"last onto the middle", 4, 2},
        {"last onto itself", 3, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        form_object object{};
        std::vector<form_attribute> nodes;
        std::string expected = address(&object) + " object (0)\n";
        for (std::size_t i = 0; i < c.nodes; ++i) {
            nodes.push_back(integer_node(32, static_cast<int32_t>(i)));
            expected += "  att_tag = " + std::to_string(i) + "\n";
        }
        link(object, nodes);
        nodes.back().next = &nodes[c.loops_back_to];
        EXPECT_EQ(printed(&object, 0), expected);
    }
}

TEST_F(PrintObject, NullPointersPrintNothingForWhatIsNotThere)
{
    EXPECT_EQ(printed(nullptr, 4), "");

    form_object object{};
    std::vector<form_attribute> nodes = {object_node(25, nullptr), string_node(24, nullptr)};
    link(object, nodes);
    EXPECT_EQ(printed(&object, 0), address(&object) + " object (0)\n"
                                   "  att_field\n"
                                   "  att_label = \"(null)\"\n");
}

}  // namespace
