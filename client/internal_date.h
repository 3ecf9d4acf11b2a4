/*
 * internal_date.h - the client core's date record and its two calendar
 * routines, declared once for dbutil.h and forms.h, which both include it:
 * the client core reads and writes the record, the value mover converts
 * through it.
 */
#ifndef MORVANTA_INTERNAL_DATE_H
#define MORVANTA_INTERNAL_DATE_H

#include <stdint.h>
#include <time.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A date in the client core's form: consecutive day numbers and the time of
   day in ten-thousandths of a second (0 to 863999999). */
typedef struct internal_date {
    int32_t day_number;
    int32_t time_of_day;
} internal_date;

/* Client core calendar (libtdxlib.so): broken-down time to and from internal_date. */
void tdx__encode_date(const struct tm *time, internal_date *date);
void tdx__decode_date(const internal_date *date, struct tm *time);

#ifdef __cplusplus
}
#endif

#endif /* MORVANTA_INTERNAL_DATE_H */
