/*
 * forms.h - forms support of Morvanta: value descriptors and the value mover
 * (xcvt), the Fortran-callable wrappers of the forms core (fbind), the object
 * and screen debug printer (objprint), and the forms core interface that
 * these modules call.
 *
 * The forms core reports errors through NORIX_error and NORIX_bugcheck,
 * which do not return to their caller: a conversion in progress ends there.
 * Should a report return all the same, the value mover stops at once and
 * writes nothing further. The entry points keep no state and may be called
 * from several threads at once (those that call into the forms core as far
 * as it may). Compiles as C99 and as C++.
 */
#ifndef MORVANTA_FORMS_H
#define MORVANTA_FORMS_H

#include <stdint.h>

#include "internal_date.h"    /* internal_date, tdx__encode_date, tdx__decode_date */
#include "morvanta_version.h" /* MORVANTA_VERSION_MAJOR, _MINOR, _STRING */

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Forms core interface (provided by the forms core) ------------------ */

/* Reports a conversion error to the form's user; does not return. */
void NORIX_error(const char *message);
/* Reports an internal inconsistency; does not return. */
void NORIX_bugcheck(const char *message);
/* The value of one attribute of a form object; 0 when there is nothing to show. */
int32_t NORIX_get_attribute_value(void *object, int32_t attribute);

/* ---- Value descriptors and the value mover (xcvt) ----------------------- */

/* Datatype codes of value_desc.dtype. */
enum {
    dtype_fixed_string = 1,       /* exactly `length` bytes, blank-filled */
    dtype_terminated_string = 2,  /* NUL-ended, in `length` bytes with the NUL */
    dtype_varying_string = 3,     /* 16-bit count, then text; `length` counts both */
    dtype_short_integer = 4,      /* int16_t, scaled by `scale` */
    dtype_long_integer = 5,       /* int32_t, scaled by `scale` */
    dtype_quadword_integer = 6,   /* 8 bytes, only exchanged with blob ids */
    dtype_single_float = 7,
    dtype_double_float = 8,
    dtype_date = 9,               /* internal_date */
    dtype_blob = 10,              /* 8-byte blob id, only exchanged with quadwords */
    dtype_double_float_alt = 12   /* named, but no move to or from it succeeds */
};

/* Describes one field value; the storage at `address` belongs to whoever
   built the descriptor. The value is the stored integer times ten to the
   power `scale`. Values, a varying string's count among them, lie in the
   machine's native byte order. */
typedef struct value_desc {
    uint8_t dtype;
    int8_t scale;
    uint16_t length;   /* bytes of storage at address */
    int16_t sub_type;  /* 2 in the mover's own text descriptors, else 0 */
    void *address;
} value_desc;

/* Any value as text: the result is its length, *text_out its first character.
   Text kinds are returned in place; a varying string yields at most its
   length - 2 bytes whatever its count says (none below length 2). Other
   kinds are moved into `buffer`, a varying string of buffer_length bytes
   (count included) that the caller owns; failures are those of XCVT_move. */
uint16_t XCVT_get_string(const value_desc *desc, char **text_out, char *buffer,
                         uint16_t buffer_length);
/* Parses `length` bytes as a decimal number: *value_out gets the mantissa,
   the result is the power of ten. Bad text: NORIX_error "conversion error". */
int16_t XCVT_decompose(const char *text, uint16_t length, int32_t *value_out);
/* The value divided by ten to the power `scale`, as a 32-bit integer. Kinds
   that are no number: NORIX_bugcheck "conversion not implemented". */
int32_t XCVT_get_long(const value_desc *desc, int16_t scale);
/* The value as a double; fails as XCVT_get_long. */
double XCVT_get_double(const value_desc *desc);
/* Copies `count` bytes, first byte first. */
void XCVT_fast(const void *from, void *to, uint32_t count);

/* The date as a fractional day number; text is converted first, other kinds
   fail as XCVT_move does. */
double XCVT_date_to_double(const value_desc *desc);
/* Stores a fractional day number as an internal date. */
void XCVT_double_to_date(double value, internal_date *date);

/* Moves the value described by `from` into the storage described by `to`,
   converting between datatypes; writes only the destination's storage.
   Failures are reported through NORIX_error or NORIX_bugcheck. */
void XCVT_move(const value_desc *from, const value_desc *to);
/* Copies `length` bytes of text (0: the text is NUL-terminated) into `to`,
   a buffer of `size` bytes, and ends it with a NUL. */
void XCVT_terminate(const char *from, char *to, int16_t length, int16_t size);

/* ---- Fortran-callable forms core entry points --------------------------- */

/*
 * The forms core's entry points for Fortran programs (provided by the forms
 * core). Every argument is an address; what it points to is the forms core's
 * matter. An argument declared int16_t * receives the address of a 16-bit
 * value. Each returns a 32-bit result.
 */
int32_t norix__compile_map(void *arg1, void *arg2, void *arg3, int16_t *arg4, void *arg5);
int32_t norix__compile_menu(void *arg1, void *arg2, void *arg3, void *arg4);
int32_t norix__compile_sub_map(void *arg1, void *arg2, void *arg3, int16_t *arg4, void *arg5);
int32_t norix__create_window(void *arg1, int16_t *arg2, void *arg3, void *arg4, void *arg5);
int32_t norix__delete(void *arg1);
int32_t norix__delete_window(void *arg1);
int32_t norix__drive_form(void *arg1, void *arg2, void *arg3, void *arg4, void *arg5,
                          void *arg6, void *arg7);
int32_t norix__drive_menu(void *arg1, void *arg2, int16_t *arg3, void *arg4, void *arg5,
                          void *arg6, void *arg7, void *arg8, void *arg9, void *arg10);
int32_t norix__fetch(void *arg1, void *arg2, void *arg3, void *arg4, void *arg5);
int32_t norix__get_entree(void *arg1, void *arg2, void *arg3, void *arg4, void *arg5);
int32_t norix__initialize_menu(void *arg1);
int32_t norix__insert(void *arg1, void *arg2, void *arg3, void *arg4, void *arg5);
int32_t norix__load_form(void *arg1, void *arg2, void *arg3, void *arg4, int16_t *arg5,
                         void *arg6);
int32_t norix__menu(void *arg1, void *arg2, void *arg3, void *arg4);
int32_t norix__pop_window(void *arg1);
int32_t norix__put_entree(void *arg1, void *arg2, void *arg3, void *arg4);
int32_t norix__reset_form(void *arg1, void *arg2);
int32_t norix__suspend_window(void *arg1);

/*
 * fbind: the routines a Fortran program reaches as norix__X (the compiler
 * adds the trailing underscore). Each calls norix__X with the same arguments
 * and hands back its result unchanged; the addresses are passed on as they
 * came, so the entry point's stores reach the caller's variables. An argument
 * declared const void * is the exception: the 16-bit value at that address
 * is copied into a temporary of the call and the entry point gets the
 * temporary's address, so the caller's variable (or constant) is never
 * written. The copy takes the first two bytes at the address, in the
 * machine's own order: a 32-bit integer passed there arrives as its low half
 * on a little-endian machine (the Intel 386) and as its high half on a
 * big-endian one. A null address there is passed on as null. The routines
 * keep no state.
 */
int32_t norix__compile_map_(void *arg1, void *arg2, void *arg3, const void *arg4, void *arg5);
int32_t norix__compile_menu_(void *arg1, void *arg2, void *arg3, void *arg4);
int32_t norix__compile_sub_map_(void *arg1, void *arg2, void *arg3, const void *arg4,
                                void *arg5);
int32_t norix__create_window_(void *arg1, const void *arg2, void *arg3, void *arg4, void *arg5);
int32_t norix__delete_(void *arg1);
int32_t norix__delete_window_(void *arg1);
int32_t norix__drive_form_(void *arg1, void *arg2, void *arg3, void *arg4, void *arg5,
                           void *arg6, void *arg7);
int32_t norix__drive_menu_(void *arg1, void *arg2, const void *arg3, void *arg4, void *arg5,
                           void *arg6, void *arg7, void *arg8, void *arg9, void *arg10);
int32_t norix__fetch_(void *arg1, void *arg2, void *arg3, void *arg4, void *arg5);
int32_t norix__get_entree_(void *arg1, void *arg2, void *arg3, void *arg4, void *arg5);
int32_t norix__initialize_menu_(void *arg1);
int32_t norix__insert_(void *arg1, void *arg2, void *arg3, void *arg4, void *arg5);
int32_t norix__load_form_(void *arg1, void *arg2, void *arg3, void *arg4, const void *arg5,
                          void *arg6);
int32_t norix__menu_(void *arg1, void *arg2, void *arg3, void *arg4);
int32_t norix__pop_window_(void *arg1);
int32_t norix__put_entree_(void *arg1, void *arg2, void *arg3, void *arg4);
int32_t norix__reset_form_(void *arg1, void *arg2);
int32_t norix__suspend_window_(void *arg1);

/* ---- Debug printer (objprint) ------------------------------------------- */

/*
 * Prints a form object of the forms core on standard output as a tree: the
 * indent blanks and "<address> object (<object value>)", then, two blanks
 * deeper, each non-zero special attribute (asked of NORIX_get_attribute_value)
 * and each attribute node; a sub-object is printed four blanks deeper than
 * its parent. An object met again inside its own subtree is shown by its
 * header line only; a node list whose next pointers lead back ends at its
 * first repeated node. A null object prints nothing. Changes nothing.
 */
void NORIX_print(const void *object, uint16_t indent);

/*
 * Prints a screen record of the forms core on standard output: the title, a
 * line of ten '+', each row with its trailing blanks dropped (at most the
 * first 1023 cells of a row), and a line of ten '-'. A null screen prints as
 * one with no rows, a null title as an empty title line.
 */
void NORIX_print_screen(const void *screen, const char *title);

#ifdef __cplusplus
}
#endif

#endif /* MORVANTA_FORMS_H */
