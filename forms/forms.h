/*
 * forms.h - forms support of Morvanta: value descriptors, the value mover
 * (xcvt), and the forms core interface that the forms modules call.
 *
 * The forms core reports errors through NORIX_error and NORIX_bugcheck,
 * which do not return to their caller: a conversion in progress ends there.
 * Compiles as C99 and as C++.
 */
#ifndef MORVANTA_FORMS_H
#define MORVANTA_FORMS_H

#include <stdint.h>

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

/* ---- Fortran-callable forms core entry points --------------------------- */

/* ---- Debug printer (objprint) ------------------------------------------- */

#ifdef __cplusplus
}
#endif

#endif /* MORVANTA_FORMS_H */
