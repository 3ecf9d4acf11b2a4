/* A header in the form of the public ones, for the reference check's own
   test. Its comments say the opposite of the truth: the check reads the
   lists, not the words. */
#ifndef SAMPLE_H
#define SAMPLE_H
#include <stdint.h>

/* ---- Own entry points (provided by libtdxlib.so) ----------------------- */

int32_t outside_call(int32_t value);

/* Documented; provided by the client core. */
int32_t sample_documented(const char *text, int16_t length);

/* ==== own entry points ================================================= */

/* The core's calendar. The next lines are a comment, no declaration:
int sample_in_comment(void);
*/
void outside_calendar(void *date);

/* Not documented. */
void *sample_undocumented(void);

/* Compiled into the caller, so ours without being listed; documented. */
static inline int sample_inline(int value) { return value; }

/* In no list. */
int sample_unlisted(void);

typedef void (*sample_callback)(void *argument, const char *line);

#endif
