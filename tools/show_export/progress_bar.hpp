#pragma once

#include <cstdint>
#include <cstdio>

// A one-line progress report on a terminal: a bar, the share done and the time left,
// redrawn in place a few times a second. Where the stream is not a terminal (a log, a
// pipe, a test) it writes nothing at all.
class progress_bar {
  public:
    progress_bar(std::FILE* stream, int total);
    ~progress_bar();
    progress_bar(const progress_bar&) = delete;
    progress_bar& operator=(const progress_bar&) = delete;

    void update(int done);
    // Ends the line so whatever follows starts on a fresh one.
    void finish();

  private:
    std::FILE* stream_;
    int total_;
    bool shown_;
    bool open_line_ = false;
    std::int64_t started_ns_;
    std::int64_t drawn_ns_ = 0;
};

// The bar's text for `done` of `total` after `elapsed_s` seconds, e.g.
// "[#########...........]  42%  0:35 left"; the estimate assumes the pace so far holds.
void format_progress(int done, int total, double elapsed_s, char* out, std::size_t size);
