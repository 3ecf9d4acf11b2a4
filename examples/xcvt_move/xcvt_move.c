/* Moving field values with XCVT_move: text typed into a field becomes a
 * scaled number or a date, and numbers and dates become text again.
 *
 * The mover reports bad input through the forms core's NORIX_error, which
 * does not return to the conversion. A forms program gets it from the forms
 * core; this stand-alone program provides the two report routines itself
 * and jumps back to the move that failed.
 *
 *   xcvt_move
 */
#include <setjmp.h>
#include <stdio.h>
#include <string.h>

#include <morvanta/forms.h>

static jmp_buf failed_move;

void NORIX_error(const char *message)
{
    printf("  error: %s\n", message);
    longjmp(failed_move, 1);
}

void NORIX_bugcheck(const char *message)
{
    printf("  bugcheck: %s\n", message);
    longjmp(failed_move, 1);
}

/* A fixed-string field holding `text`. */
static value_desc text_field(const char *text)
{
    value_desc d = {dtype_fixed_string, 0, (uint16_t)strlen(text), 0, (void *)text};
    return d;
}

/* 1 when the move was done, 0 when the mover reported a failure. */
static int move(const value_desc *from, const value_desc *to)
{
    if (setjmp(failed_move))
        return 0;
    XCVT_move(from, to);
    return 1;
}

int main(void)
{
    /* Text into a long integer with two decimal places, and back. */
    int32_t cents = 0;
    const value_desc amount = {dtype_long_integer, -2, sizeof cents, 0, &cents};
    value_desc typed = text_field(" 1,234.5 ");
    if (move(&typed, &amount))
        printf("\"%s\" -> %d (scale -2)\n", (const char *)typed.address, cents);

    char shown[11];
    const value_desc display = {dtype_terminated_string, 0, sizeof shown, 0, shown};
    if (move(&amount, &display))
        printf("%d (scale -2) -> \"%s\"\n", cents, shown);

    /* Text into a date, and the date back into text. */
    internal_date date = {0, 0};
    const value_desc when = {dtype_date, 0, sizeof date, 0, &date};
    char date_text[26];
    const value_desc date_display = {dtype_terminated_string, 0, sizeof date_text, 0,
                                     date_text};
    typed = text_field("March 17, 1995 10:30");
    if (move(&typed, &when) && move(&when, &date_display))
        printf("\"%s\" -> \"%s\"\n", (const char *)typed.address, date_text);

    /* Bad input: the mover reports it and stores nothing. */
    typed = text_field("12.3.4");
    printf("\"%s\" into a number:\n", (const char *)typed.address);
    if (!move(&typed, &amount))
        printf("  the field keeps %d\n", cents);
    typed = text_field("31-FEB-1995");
    printf("\"%s\" into a date:\n", (const char *)typed.address);
    move(&typed, &when);

    /* A number that does not fit a short integer. */
    int16_t small = 0;
    const value_desc short_field = {dtype_short_integer, 0, sizeof small, 0, &small};
    typed = text_field("70000");
    printf("\"%s\" into a short integer:\n", (const char *)typed.address);
    move(&typed, &short_field);
    return 0;
}
