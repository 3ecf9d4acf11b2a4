// Test control of the stand-in forms core's reports (NORIX_error and
// NORIX_bugcheck). Not part of any deliverable.
//
// By default a report never returns to the conversion: it throws
// forms_report, which unwinds through the mover back to the test.
// run_until_report runs a piece of code and hands back the report that ended
// it, if any. In the returning mode a report is recorded and returns to its
// caller instead, as an outside forms core may do; take_reports hands back
// what was recorded. The mode and the record belong to the calling thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace forms_core {

enum class report_kind { error, bugcheck };

struct forms_report {
    report_kind kind;
    std::string message;
};

// Reports made since the process started.
int report_count();

enum class report_mode {
    throws,   // the report unwinds to run_until_report (the default)
    returns,  // the report is recorded and returns to the conversion
};

// How the calling thread's reports end from now on.
void set_report_mode(report_mode mode);

// The calling thread's reports recorded in the returning mode since the
// last call, in the order they were made; the record starts empty again.
std::vector<forms_report> take_reports();

template <typename F>
std::optional<forms_report> run_until_report(F &&body)
{
    try {
        body();
    } catch (const forms_report &report) {
        return report;
    }
    return std::nullopt;
}

}  // namespace forms_core
