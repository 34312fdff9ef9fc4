#include "platform/debug_log_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/write_all.hpp"

namespace {

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

}  // namespace

int debug_log_open() {
    const std::string path = log_path();
    if (path.empty()) {
        return debug_log_closed;
    }
    // Only the user may read the log, and a symbolic link planted at its place is refused
    // rather than followed.
    const int handle =
        open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    return handle < 0 ? debug_log_closed : handle;
}

void debug_log_append(int handle, const char* text, std::size_t length) {
    // A log that cannot be written is given up quietly: the report is only for reading later.
    write_all(handle, text, length);
}
