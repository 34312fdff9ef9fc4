#include "tools/show_export/staged_output.hpp"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

// The stand-in's name for the signal handler, which may neither allocate nor lock.
char interrupted_path[4096];

void remove_on_signal(int sig) {
    if (interrupted_path[0] != '\0') {
        unlink(interrupted_path);
    }
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

void watch_interruptions(const std::string& path) {
    if (path.size() >= sizeof interrupted_path) {
        return;
    }
    std::memcpy(interrupted_path, path.c_str(), path.size() + 1);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        std::signal(sig, remove_on_signal);
    }
}

void stop_watching() {
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        std::signal(sig, SIG_DFL);
    }
    interrupted_path[0] = '\0';
}

}  // namespace

staged_output::staged_output(std::string path) : path_(std::move(path)) {
    // Same folder, so the final rename stays on one file system; the process id keeps
    // two exports to the same name from sharing a stand-in.
    const std::filesystem::path target(path_);
    std::string name = ".";
    name += target.filename().string();
    name += ".partial-";
    name += std::to_string(getpid());
    staging_ = (target.parent_path() / name).string();
}

staged_output::~staged_output() {
    if (claimed_) {
        stop_watching();
        unlink(staging_.c_str());
    }
}

result<> staged_output::prepare() {
    std::error_code error;
    if (std::filesystem::is_directory(path_, error)) {
        return failure("it is a folder");
    }
    const int fd = open(staging_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        return failure(std::strerror(errno));
    }
    close(fd);
    claimed_ = true;
    watch_interruptions(staging_);
    return {};
}

result<> staged_output::commit() {
    if (std::rename(staging_.c_str(), path_.c_str()) != 0) {
        return failure(std::strerror(errno));
    }
    stop_watching();
    claimed_ = false;
    return {};
}
