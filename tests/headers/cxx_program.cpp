// The chief headers from C++: declarations in extern "C", all three together.
#include <morvanta/dbutil.h>
#include <morvanta/forms.h>
#include <morvanta/functions.h>

int main()
{
    internal_date date{};
    return date.time_of_day;
}
