#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "base/result.hpp"
#include "platform/console.hpp"

// ncursesw drawing pictures of console cells on a pseudo-terminal of its own, with the
// terminal description xterm-256color: one colour pair per attribute byte, the same
// Unicode glyphs as our console. It tells how many bytes each update wrote.
//
// curses.h defines macros such as move() and clear(), so it stays inside the .cpp.
class ncurses_writer {
  public:
    // Fails saying why when ncurses cannot be set up.
    static result<std::unique_ptr<ncurses_writer>> open(int cols, int rows);
    ~ncurses_writer();
    ncurses_writer(const ncurses_writer&) = delete;
    ncurses_writer& operator=(const ncurses_writer&) = delete;

    // What the set-up learnt about the terminal's colours, for the report.
    const std::string& colour_note() const { return colour_note_; }
    // Bytes written while setting up, before the first picture.
    std::size_t setup_bytes() const { return setup_bytes_; }

    // Draws one picture of cols x rows cells and returns the bytes ncurses wrote for it;
    // when `copy` is given, those bytes are appended to it.
    std::size_t draw(const char_info* picture, std::string* copy = nullptr);

  private:
    ncurses_writer(int cols, int rows);
    result<> set_up();
    std::size_t end_of_output(std::string* copy);
    void drain();

    int cols_;
    int rows_;
    int master_ = -1;
    int slave_ = -1;
    void* out_ = nullptr;     // FILE*
    void* in_ = nullptr;      // FILE*
    void* screen_ = nullptr;  // SCREEN*
    std::string colour_note_;
    std::size_t setup_bytes_ = 0;
    bool bright_backgrounds_ = true;

    std::thread drainer_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::string> updates_;  // bytes of each finished update, oldest first
};
