#pragma once

#include <cstdint>

// The show's one pseudo-random sequence: a linear congruential generator started at
// state 1 and never reseeded. The fire and the random switch draw from it in frame
// order, so every run of the show flickers and burns the same way.
class show_rand_state {
  public:
    explicit show_rand_state(std::uint32_t seed = 1) : state_(seed) {}

    // The next value, 0..32767: bits 16 to 30 of the advanced state.
    int next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }

  private:
    std::uint32_t state_;
};

// Draws the next value of the process-wide sequence.
int show_rand();

// The process-wide sequence itself, so that tests can reset it to its start.
show_rand_state& show_rand_sequence();
