/*
 * Forwards to the one declaration of the date record, client/internal_date.h.
 *
 * forms.h includes "internal_date.h", and a quoted include looks in the
 * including header's own folder first: with only forms/ on the include path
 * (as the forms modules build) it lands on this file; in the installed tree,
 * where all the headers share one folder, on the real header beside forms.h.
 * This file is not installed.
 */
#include "../client/internal_date.h"
