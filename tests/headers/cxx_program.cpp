// The chief headers from C++: declarations in extern "C", both together.
#include "dbutil.h"
#include "forms.h"
#include "functions.h"

int main()
{
    internal_date date{};
    return date.time_of_day;
}
