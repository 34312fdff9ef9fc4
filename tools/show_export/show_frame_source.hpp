#pragma once

#include <sys/types.h>

#include "base/result.hpp"
#include "show/screen_buffer.hpp"

// The show's frames in order, for the frame-loop ticks (show_frame_tick), exactly as
// show-frames renders them. The show decides for itself where it ends: its last scene
// ends the process, so the frames are rendered in a child process that streams them
// through a pipe, and the child leaving with the show's exit code 23 marks the end.
// A side effect welcome on two cores: the child renders while the caller encodes.
class show_frame_source {
  public:
    // The exit code with which the show's last scene ends the process.
    static constexpr int end_of_show_exit_code = 23;

    explicit show_frame_source(int fps);
    ~show_frame_source();
    show_frame_source(const show_frame_source&) = delete;
    show_frame_source& operator=(const show_frame_source&) = delete;

    // Builds the show (reading its screen files from wherever the show finds them) and starts
    // the renderer; fails saying why when no process or pipe can be had.
    result<> start();

    // The next frame into `frame`: true while there is one, false at the end of the show;
    // a failure saying how when the renderer failed.
    result<bool> next(screen_buffer& frame);

    // How many frames the show will give, from its timeline's last start: a figure for
    // progress reports, not a promise.
    int expected_frames() const;

  private:
    result<> finish();

    int fps_;
    pid_t child_ = -1;
    int pipe_ = -1;
};
