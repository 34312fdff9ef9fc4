#include "asciigui/ag_check.hpp"

#include "diagnostics/debug_report.hpp"
#include "platform/process.hpp"

void ag_check_failed(ag_check which) {
    debug_report(1, ".\\asciigui\\ag_raw", static_cast<int>(which), "");
    breakpoint_trap();
}
