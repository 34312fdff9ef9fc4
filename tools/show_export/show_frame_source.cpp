#include "tools/show_export/show_frame_source.hpp"

#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "composition/show_composition.hpp"
#include "platform/process.hpp"
#include "platform/write_all.hpp"
#include "show/show_buffer.hpp"
#include "show/show_ticks.hpp"
#include "show/timeline.hpp"

namespace {

// The child's whole life: render frame after frame until the show's last scene ends the
// process. A reader that went away ends it quietly.
[[noreturn]] void render_frames(int fd, int fps) {
    for (std::int64_t k = 0;; ++k) {
        timeline_render(show_buffer, show_frame_tick(k, fps));
        if (!write_all(fd, reinterpret_cast<const char*>(show_buffer.data()), show_buffer.size())) {
            _exit(1);
        }
    }
}

// Reads exactly `size` bytes; 0 at a clean end before the first byte, -1 on a fault or
// an end in the middle.
int read_whole(int fd, std::uint8_t* data, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t done = read(fd, data + got, size - got);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            return got == 0 && done == 0 ? 0 : -1;
        }
        got += static_cast<std::size_t>(done);
    }
    return 1;
}

}  // namespace

show_frame_source::show_frame_source(int fps) : fps_(fps) {}

show_frame_source::~show_frame_source() {
    if (pipe_ >= 0) {
        close(pipe_);
    }
    if (child_ > 0) {
        kill(child_, SIGKILL);
        waitpid(child_, nullptr, 0);
    }
}

result<> show_frame_source::start() {
    // Built here, before the fork, so that a missing screen file is reported once and
    // the timeline's rows can be read for expected_frames.
    show_compose();
    // Lines held for the end of the process and anything buffered in a stdio stream are
    // written now, or the child, which ends the show's way by flushing every stream,
    // would write them a second time. Callers open their output files after this.
    flush_exit_reports();
    std::fflush(nullptr);
    int fds[2];
    if (pipe(fds) != 0) {
        return failure(std::string("cannot make a pipe: ") + std::strerror(errno));
    }
    child_ = fork();
    if (child_ < 0) {
        failure why(std::string("cannot start the renderer: ") + std::strerror(errno));
        close(fds[0]);
        close(fds[1]);
        return why;
    }
    if (child_ == 0) {
        close(fds[0]);
        render_frames(fds[1], fps_);
    }
    close(fds[1]);
    pipe_ = fds[0];
    return {};
}

result<bool> show_frame_source::next(screen_buffer& frame) {
    if (pipe_ < 0) {
        return failure("the renderer is not running");
    }
    const int got = read_whole(pipe_, frame.data(), frame.size());
    if (got == 1) {
        return true;
    }
    if (result<> finished = finish(); !finished) {
        return failure(std::move(finished).error());
    }
    if (got < 0) {
        return failure("the renderer stopped in the middle of a frame");
    }
    return false;
}

result<> show_frame_source::finish() {
    close(pipe_);
    pipe_ = -1;
    int status = 0;
    while (waitpid(child_, &status, 0) < 0 && errno == EINTR) {
    }
    child_ = -1;
    if (WIFEXITED(status) && WEXITSTATUS(status) == end_of_show_exit_code) {
        return {};
    }
    return failure(WIFSIGNALED(status)
                       ? "the renderer died of signal " + std::to_string(WTERMSIG(status))
                       : "the renderer stopped with exit code " +
                             std::to_string(WEXITSTATUS(status)) + " before the show's end");
}

int show_frame_source::expected_frames() const {
    const std::int64_t last_start = show_timeline[timeline_rows - 1].start_ticks;
    return static_cast<int>(last_start * fps_ / show_ticks_per_second) + 1;
}
