#pragma once

#include <cstdio>
#include <string>

#include "base/result.hpp"
#include "show/screen_buffer.hpp"
#include "terminal/frame_encoder.hpp"

// An asciicast v2 recording of the show on an 80 x 25 terminal: a header line, then one
// output event per frame holding exactly the bytes the terminal console sends for it,
// at the frame's time. The console's take-over, its title, its hidden cursor and its
// first present of the blank screen come first, at time 0, as they do when the show
// starts; the hand-back at the end is left out so that a player rests on the last scene.
class cast_writer {
  public:
    // The terminal the recording claims: REP and synchronized output are xterm's.
    static constexpr const char* terminal_name = "xterm-256color";

    cast_writer() = default;
    ~cast_writer();
    cast_writer(const cast_writer&) = delete;
    cast_writer& operator=(const cast_writer&) = delete;

    result<> open(const std::string& path, int fps);
    result<> add_frame(const screen_buffer& frame);
    result<> finish();

  private:
    result<> write_event(double seconds, const std::string& bytes);

    std::FILE* file_ = nullptr;
    int fps_ = 60;
    long frames_ = 0;
    frame_encoder encoder_;
    std::string bytes_;
    std::string line_;
};

// Appends `bytes` to `out` as the body of a JSON string; the bytes are UTF-8 and pass
// through unchanged except quotes, backslashes and control characters.
void append_json_string(const std::string& bytes, std::string& out);
