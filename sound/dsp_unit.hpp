#pragma once

#include <atomic>

// A DSP unit's work: `new_buffer` holds the block as the units before it left it,
// `original_buffer` the block as decoded, both signed 16-bit mono samples. The unit
// returns the buffer holding its result, usually `new_buffer` rewritten in place.
using fsound_dsp_callback = void* (*)(void* original_buffer, void* new_buffer,
                                      int length_in_samples, void* user_data);

// One unit in a stream's chain. Units run in ascending priority, equal priorities in the
// order they were created; a unit starts inactive.
struct fsound_dsp_unit {
    fsound_dsp_callback callback = nullptr;
    int priority = 0;
    void* user_data = nullptr;
    std::atomic<bool> active = false;
};
