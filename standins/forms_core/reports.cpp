// Stand-in forms core: the two report calls. By default each throws, so that
// the conversion in progress really ends at the report, as the forms core
// does; in the returning mode each records the report and returns.
#include "reports.h"

#include <atomic>
#include <utility>

#include "forms.h"

namespace {
// Counted from every thread.
std::atomic<int> reports_made = 0;

thread_local forms_core::report_mode mode = forms_core::report_mode::throws;
thread_local std::vector<forms_core::forms_report> recorded;

void report(forms_core::report_kind kind, const char *message)
{
    ++reports_made;
    if (mode == forms_core::report_mode::returns) {
        recorded.push_back(forms_core::forms_report{kind, message});
        return;
    }
    throw forms_core::forms_report{kind, message};
}
}  // namespace

namespace forms_core {

int report_count()
{
    return reports_made;
}

void set_report_mode(report_mode new_mode)
{
    mode = new_mode;
}

std::vector<forms_report> take_reports()
{
    return std::exchange(recorded, {});
}

}  // namespace forms_core

extern "C" {

void NORIX_error(const char *message)
{
    report(forms_core::report_kind::error, message);
}

void NORIX_bugcheck(const char *message)
{
    report(forms_core::report_kind::bugcheck, message);
}

}  // extern "C"
