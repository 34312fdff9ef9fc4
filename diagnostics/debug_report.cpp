#include "diagnostics/debug_report.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/clock.hpp"
#include "platform/critical_section.hpp"
#include "platform/debug_output.hpp"

namespace {

int log_handle = -1;

// Without a drive C:, the log goes where a user's programs keep their state.
std::string log_path() {
    const char* state_home = std::getenv("XDG_STATE_HOME");
    if (state_home != nullptr && state_home[0] == '/') {
        return std::string(state_home) + "/debugansi.log";
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        return {};
    }
    const std::string local = std::string(home) + "/.local";
    mkdir(local.c_str(), 0700);
    mkdir((local + "/state").c_str(), 0700);
    return local + "/state/debugansi.log";
}

void write_text(const char* text) {
    const std::size_t length = std::strlen(text);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t written = write(log_handle, text + done, length - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        done += static_cast<std::size_t>(written);
    }
}

}  // namespace

void debug_log_write(const char* text) {
    if (log_handle < 0) {
        const std::string path = log_path();
        if (path.empty()) {
            return;
        }
        // Only the user may read the log, and a symbolic link planted at its place is
        // refused rather than followed.
        log_handle =
            open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (log_handle < 0) {
            return;
        }
        write_text("\r\n");
    }
    write_text(text);
}

void debug_report(int, const char*, int, const char* message) {
    static critical_section report_lock;
    report_lock.enter();
    // The date and the time are two readings, as a report has always been written.
    const local_time date = get_local_time();
    const local_time time = get_local_time();
    char line[1024];
    std::snprintf(line, sizeof line, "%02d/%02d/%02d %02d:%02d:%02d %s", date.month, date.day,
                  date.year % 100, time.hour, time.minute, time.second, message);
    debug_output(line);
    debug_output("\n");
    debug_log_write(line);
    debug_log_write("\r\n");
    report_lock.leave();
}
