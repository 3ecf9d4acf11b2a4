// form_records.h - the stand-in forms core's object, attribute-node and screen
// records. Not part of any deliverable.
//
// Laid out as the forms core lays them out: links are pointers and an
// attribute node's value word is a union of an integer and the pointers, so
// the same declarations serve the i386 and the 64-bit machines of either byte
// order (an integer lies in the value word's first four bytes). Words named
// core_* belong to the forms core's own working and are left 0 here.
#pragma once

#include <cstddef>
#include <cstdint>

struct form_attribute;

struct form_object {
    int32_t core_words[3];
    form_attribute *attributes;  // first node, null when there is none
    int32_t more_core_words[2];
    uint16_t value;
};

// Value kinds of an attribute node.
enum form_value_kind : uint32_t {
    FORM_INTEGER = 1,
    FORM_STRING = 2,
    FORM_OBJECT = 3,
    FORM_WORD = 4,
};

struct form_attribute {
    int32_t core_word;
    form_attribute *next;  // null ends the list
    int32_t more_core_word;
    uint32_t kind;         // a form_value_kind
    int32_t attribute;     // attribute number, 0 to 57
    union {
        int32_t integer;
        const char *string;
        form_object *object;
        uint32_t word;
    } value;
};

struct form_cell {
    char character;
    uint8_t rendition;
};

// The cells follow the header inside the record; a record is allocated with
// room for height * stride cells. Reach them through form_screen_cells.
struct form_screen {
    int32_t core_word;
    uint16_t width;
    uint16_t height;
    uint16_t cursor;
    uint16_t stride;
    uint16_t core_halves[3];
    form_cell cells[1];
};

constexpr std::size_t form_screen_header_size = offsetof(form_screen, cells);

inline form_cell *form_screen_cells(form_screen *screen)
{
    return reinterpret_cast<form_cell *>(reinterpret_cast<unsigned char *>(screen) +
                                         form_screen_header_size);
}

namespace form_records_layout {
constexpr bool wide = sizeof(void *) == 8;
static_assert(offsetof(form_object, attributes) == (wide ? 16 : 12));
static_assert(offsetof(form_object, more_core_words) == (wide ? 24 : 16));
static_assert(offsetof(form_object, value) == (wide ? 32 : 24));
static_assert(offsetof(form_attribute, next) == (wide ? 8 : 4));
static_assert(offsetof(form_attribute, kind) == (wide ? 20 : 12));
static_assert(offsetof(form_attribute, attribute) == (wide ? 24 : 16));
static_assert(offsetof(form_attribute, value) == (wide ? 32 : 20));
static_assert(sizeof(form_attribute::value) == sizeof(void *));
static_assert(offsetof(form_attribute, value.integer) == offsetof(form_attribute, value.string));
static_assert(offsetof(form_attribute, value.word) == offsetof(form_attribute, value.string));
static_assert(sizeof(form_cell) == 2);
static_assert(offsetof(form_screen, width) == 4);
static_assert(offsetof(form_screen, height) == 6);
static_assert(offsetof(form_screen, stride) == 10);
static_assert(form_screen_header_size == 18);
}  // namespace form_records_layout
