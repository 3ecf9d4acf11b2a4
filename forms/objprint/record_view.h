// The forms core's object, attribute-node and screen records as the printer
// reads them. The records belong to the forms core; fields the printer skips
// keep their place only. Links are pointers, so the same records serve the
// i386 (4-byte pointers) and the 64-bit machines (8-byte pointers).
#pragma once

#include <cstddef>
#include <cstdint>

namespace objprint {

struct attribute_node;

struct object_record {
    int32_t unread_words[3];
    const attribute_node *attributes;  // first node; null when there is none
    int32_t more_unread_words[2];
    uint16_t value;                    // shown in hexadecimal beside the address
};

// What an attribute node's value word holds.
enum value_kind : uint32_t {
    kind_integer = 1,  // signed 32-bit integer
    kind_string = 2,   // pointer to a terminated string
    kind_object = 3,   // pointer to an object record
    kind_word = 4,     // 32-bit word shown in hexadecimal
};

struct attribute_node {
    int32_t unread_first;
    const attribute_node *next;  // null ends the list
    int32_t unread_third;
    uint32_t kind;               // a value_kind
    int32_t attribute;           // index into the attribute names
    // The value word is what C code declares for "an integer or a pointer":
    // a union. On the i386 all its members fill the same four bytes. Where
    // pointers are eight bytes, an integer or a 32-bit word lies in the
    // word's first four bytes, whatever the byte order, and the other four
    // are not read.
    union {
        int32_t integer;         // kind_integer
        const char *string;      // kind_string
        const object_record *object;  // kind_object
        uint32_t word;           // kind_word
    } value;
};

struct screen_record {
    int32_t unread_first;
    uint16_t width;              // cells of each row that are printed
    uint16_t height;             // rows
    uint16_t unread_half;
    uint16_t stride;             // cells from the start of one row to the next
    uint16_t unread_halves[3];
    unsigned char cells[2];      // first cell; the others follow inside the record
};

// A cell is a character byte and a byte the printer does not read.
constexpr std::size_t screen_cell_size = 2;
constexpr std::size_t screen_cells_offset = offsetof(screen_record, cells);

constexpr bool wide_pointers = sizeof(void *) == 8;
static_assert(sizeof(void *) == 4 || sizeof(void *) == 8);

static_assert(offsetof(object_record, attributes) == (wide_pointers ? 16 : 12));
static_assert(offsetof(object_record, more_unread_words) == (wide_pointers ? 24 : 16));
static_assert(offsetof(object_record, value) == (wide_pointers ? 32 : 24));

static_assert(offsetof(attribute_node, next) == (wide_pointers ? 8 : 4));
static_assert(offsetof(attribute_node, unread_third) == (wide_pointers ? 16 : 8));
static_assert(offsetof(attribute_node, kind) == (wide_pointers ? 20 : 12));
static_assert(offsetof(attribute_node, attribute) == (wide_pointers ? 24 : 16));
static_assert(offsetof(attribute_node, value) == (wide_pointers ? 32 : 20));
static_assert(sizeof(attribute_node::value) == sizeof(void *));
static_assert(offsetof(attribute_node, value.integer) == offsetof(attribute_node, value.string));
static_assert(offsetof(attribute_node, value.word) == offsetof(attribute_node, value.string));

static_assert(offsetof(screen_record, width) == 4);
static_assert(offsetof(screen_record, height) == 6);
static_assert(offsetof(screen_record, stride) == 10);
static_assert(screen_cells_offset == 18);

}  // namespace objprint
