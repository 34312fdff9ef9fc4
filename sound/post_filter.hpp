#pragma once

#include <array>
#include <cstdint>
#include <memory>

// The music's optional lo-fi chain: a 25-level quantiser, then four resonant four-pole
// ladder filters in series (bandpass, highpass, highpass, lowpass). It runs as a DSP unit
// on the music stream; the show installs it only when post_filter_enabled is set.
//
// What persists between blocks (quantiser and filter state, the work buffer's samples)
// is kept in single precision; the arithmetic of each step is carried out in double.

struct quantiser_state {
    std::int32_t level = 0;
    float sum = 0;
};

struct ladder_state {
    float last_input = 0;
    float pole1 = 0;
    float pole2 = 0;
    float pole3 = 0;
    float pole4 = 0;
};

// filter_mode 1 is lowpass, 2 highpass, 3 bandpass; any other mode outputs silence while
// the filter itself runs on.
struct ladder_settings {
    int filter_mode = 0;
    float cutoff = 0;
    float resonance = 0;
};

struct post_filter_state {
    quantiser_state quantiser;
    std::array<ladder_state, 4> stages;
    std::unique_ptr<float[]> work;
    int work_capacity = 0;
};

// Replaces each sample in [-1, 1] by the quantised previous one, so the block is delayed
// by one sample and its first output carries the last input of the block before.
void quantise_block(quantiser_state& state, float* samples, int length);

void ladder_filter_block(ladder_state& state, const ladder_settings& settings, float* samples,
                         int length);

// The whole chain over signed 16-bit samples, in place. A block whose work buffer cannot
// be had passes through unchanged, as does a length of 0 or less.
void post_filter_block(post_filter_state& state, std::int16_t* samples, int length);

// The chain as a DSP unit callback, on one state for the life of the process.
void* post_filter(void* original_buffer, void* new_buffer, int length_in_samples, void* user_data);
