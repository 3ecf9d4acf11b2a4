/* A header in the form of the public ones, for the reference check's own test. */
#ifndef SAMPLE_H
#define SAMPLE_H
#include <stdint.h>

/* ---- Outside product: entry points (provided by libtdxlib.so) ---------- */

int32_t outside_call(int32_t value);

/* ==== own entry points ================================================= */

/* Documented. */
int32_t sample_documented(const char *text, int16_t length);

/* The core's calendar (libtdxlib.so). */
void outside_calendar(void *date);

/* Not documented. */
void *sample_undocumented(void);

typedef void (*sample_callback)(void *argument, const char *line);

#endif
