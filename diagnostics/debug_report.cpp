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

// Makes every missing folder of `path`, for the user alone, as the XDG base directory
// rules ask for the state folder; folders that exist are left as they are.
void make_private_folders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        mkdir(path.substr(0, slash).c_str(), 0700);
    }
    mkdir(path.c_str(), 0700);
}

// Without a drive C:, the log goes where a user's programs keep their state.
std::string log_path() {
    const char* state_home = std::getenv("XDG_STATE_HOME");
    std::string folder;
    if (state_home != nullptr && state_home[0] == '/') {
        folder = state_home;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] == '\0') {
            return {};
        }
        folder = std::string(home) + "/.local/state";
    }
    make_private_folders(folder);
    return folder + "/debugansi.log";
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

std::string debug_report_line(const local_time& date, const local_time& time,
                              const char* message) {
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
