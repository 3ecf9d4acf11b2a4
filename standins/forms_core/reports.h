// Test control of the stand-in forms core's reports (NORIX_error and
// NORIX_bugcheck). Not part of any deliverable.
//
// A report never returns to the conversion: it throws forms_report, which
// unwinds through the mover back to the test. run_until_report runs a piece
// of code and hands back the report that ended it, if any.
#pragma once

#include <optional>
#include <string>

namespace forms_core {

enum class report_kind { error, bugcheck };

struct forms_report {
    report_kind kind;
    std::string message;
};

// Reports made since the process started.
int report_count();

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
