// Stand-in forms core: the two report calls. Each throws, so that the
// conversion in progress really ends at the report, as the forms core does.
#include "reports.h"

#include <atomic>

#include "forms.h"

namespace {
// Counted from every thread.
std::atomic<int> reports_made = 0;
}

namespace forms_core {

int report_count()
{
    return reports_made;
}

}  // namespace forms_core

extern "C" {

void NORIX_error(const char *message)
{
    ++reports_made;
    throw forms_core::forms_report{forms_core::report_kind::error, message};
}

void NORIX_bugcheck(const char *message)
{
    ++reports_made;
    throw forms_core::forms_report{forms_core::report_kind::bugcheck, message};
}

}  // extern "C"
