#include "diagnostics/debug_report.hpp"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/clock.hpp"
#include "platform/critical_section.hpp"
#include "platform/debug_log_file.hpp"
#include "platform/debug_output.hpp"

namespace {

int log_handle = debug_log_closed;

void write_text(const char* text) {
    debug_log_append(log_handle, text, std::strlen(text));
}

}  // namespace

void debug_log_write(const char* text) {
    if (log_handle == debug_log_closed) {
        log_handle = debug_log_open();
        if (log_handle == debug_log_closed) {
            return;
        }
        write_text("\r\n");
    }
    write_text(text);
}

std::string debug_report_line(const local_time& date, const local_time& time, const char* message) {
    char line[1024];
    std::snprintf(line, sizeof line, "%02d/%02d/%02d %02d:%02d:%02d %s", date.month, date.day,
                  date.year % 100, time.hour, time.minute, time.second, message);
    return line;
}

void debug_report(int, const char*, int, const char* message) {
    static critical_section report_lock;
    report_lock.enter();
    // The date and the time are two readings, as a report has always been written.
    const local_time date = get_local_time();
    const local_time time = get_local_time();
    const std::string line = debug_report_line(date, time, message);
    debug_output(line.c_str());
    debug_output("\n");
    debug_log_write(line.c_str());
    debug_log_write("\r\n");
    report_lock.leave();
}
