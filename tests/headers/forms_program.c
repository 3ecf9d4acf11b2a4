/* Includes the forms chief header from C99, next to the client's: both
   include the one declaration of internal_date and the client core's date
   calls. */
#include <morvanta/dbutil.h>
#include <morvanta/forms.h>

int main(void)
{
    internal_date date = {0, 0};
    return date.day_number;
}
