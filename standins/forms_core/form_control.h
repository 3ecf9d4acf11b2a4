/*
 * form_control.h - test control of the stand-in forms core's entry points
 * for Fortran programs and of NORIX_get_attribute_value. Not part of any
 * deliverable. Plain C calls, so a Fortran test reaches them with BIND(C).
 * What is set and recorded here belongs to the calling thread: another
 * thread neither sees it nor changes it.
 */
#ifndef MORVANTA_FORM_CONTROL_H
#define MORVANTA_FORM_CONTROL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The entry points, numbered in the order forms.h declares them. */
enum formc_entry {
    FORMC_NONE = 0,
    FORMC_COMPILE_MAP, FORMC_COMPILE_MENU, FORMC_COMPILE_SUB_MAP, FORMC_CREATE_WINDOW,
    FORMC_DELETE, FORMC_DELETE_WINDOW, FORMC_DRIVE_FORM, FORMC_DRIVE_MENU, FORMC_FETCH,
    FORMC_GET_ENTREE, FORMC_INITIALIZE_MENU, FORMC_INSERT, FORMC_LOAD_FORM, FORMC_MENU,
    FORMC_POP_WINDOW, FORMC_PUT_ENTREE, FORMC_RESET_FORM, FORMC_SUSPEND_WINDOW
};

/* The most arguments any entry point takes. */
#define FORMC_MAX_ARGUMENTS 10

/* Forget the calls, the scripted result and the scripted writes. */
void formc_reset_entries(void);
/* Every entry point returns this from now on (0 after a reset). */
void formc_set_result(int32_t result);
/* From now on every entry point stores value through its argument at
   position (counted from 1): 16 bits where the argument is the address of a
   16-bit value, 32 bits elsewhere. A null argument is not written. */
void formc_write_through(int32_t position, int32_t value);

/* Entry point calls since the reset. */
int32_t formc_calls(void);
/* Of the latest call: the entry point (a formc_entry) and its name. */
int32_t formc_last_entry(void);
const char *formc_last_entry_name(void);
/* Of the latest call: how many arguments it took and the one at position
   (counted from 1; null past the count). */
int32_t formc_last_argument_count(void);
void *formc_last_argument(int32_t position);
/* Of the latest call: the position of its 16-bit argument (0: none) and the
   value found there on entry, before any scripted write. */
int32_t formc_last_short_position(void);
int32_t formc_last_short(void);

/* Forget the attribute values and the requests. */
void formc_reset_attributes(void);
/* NORIX_get_attribute_value answers value for this object and attribute;
   0 for any pair never set. */
void formc_set_attribute(const void *object, int32_t attribute, int32_t value);
/* The requests NORIX_get_attribute_value has had since the reset, in order. */
int32_t formc_attribute_requests(void);
const void *formc_attribute_request_object(int32_t index);
int32_t formc_attribute_request_number(int32_t index);

#ifdef __cplusplus
}
#endif

#endif /* MORVANTA_FORM_CONTROL_H */
