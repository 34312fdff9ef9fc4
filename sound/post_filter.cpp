#include "sound/post_filter.hpp"

#include <algorithm>
#include <new>

namespace {

// The chain's constants are single-precision values; each is widened exactly as stored.
constexpr float sample_scale = 3.0518509e-5f;  // 1/32767
constexpr float level_step = 0.0833333358f;    // 1/12
constexpr float level_bias = 0.0010000000475f;
constexpr float saturation = 0.16666700f;
constexpr double output_scale = 32600;

constexpr std::array<ladder_settings, 4> chain_settings = {{
    {3, 0.328f, 0.0021f},
    {2, 0.1f, 0.0f},
    {2, 0.1f, 0.0f},
    {1, 0.28f, 0.0f},
}};

bool make_room(post_filter_state& state, int length) {
    if (length <= state.work_capacity) {
        return true;
    }
    state.work.reset(new (std::nothrow) float[static_cast<std::size_t>(length)]);
    state.work_capacity = state.work ? length : 0;
    return state.work != nullptr;
}

}  // namespace

void quantise_block(quantiser_state& state, float* samples, int length) {
    for (int i = 0; i < length; ++i) {
        const float x = std::clamp(samples[i], -1.0f, 1.0f);
        state.sum = static_cast<float>(state.sum + (static_cast<double>(x) + 1.0) * 0.5);
        // Formed in double, the middle level comes out 3e-8 above zero, not at zero.
        samples[i] = static_cast<float>(state.level * static_cast<double>(level_step) - 1.0);
        state.sum = std::clamp(state.sum, 0.0f, 1.0f);
        state.level = static_cast<std::int32_t>(state.sum * 24.0 + static_cast<double>(level_bias));
        state.sum = 0;
    }
}

void ladder_filter_block(ladder_state& state, const ladder_settings& settings, float* samples,
                         int length) {
    const double f = settings.cutoff;
    const double q = 1.0 - f;
    const double p = f * (1.0 + 0.8 * q);
    const double k = 2.0 * p - 1.0;
    const double r = settings.resonance * (1.0 + 0.5 * q * (1.0 - q + 5.6 * q * q));

    ladder_state& s = state;
    for (int i = 0; i < length; ++i) {
        const double in = samples[i] - r * s.pole4;
        double t1 = s.pole1;
        s.pole1 = static_cast<float>((in + s.last_input) * p - s.pole1 * k);
        const double t2 = s.pole2;
        s.pole2 = static_cast<float>((s.pole1 + t1) * p - s.pole2 * k);
        t1 = s.pole3;
        s.pole3 = static_cast<float>((s.pole2 + t2) * p - s.pole3 * k);
        s.pole4 = static_cast<float>((s.pole3 + t1) * p - s.pole4 * k);
        const double pole4 = s.pole4;
        s.pole4 = static_cast<float>(pole4 - pole4 * pole4 * pole4 * saturation);
        s.last_input = static_cast<float>(in);

        switch (settings.filter_mode) {
            case 1:
                samples[i] = s.pole4;
                break;
            case 2:
                samples[i] = static_cast<float>(in - s.pole4);
                break;
            case 3:
                samples[i] = static_cast<float>(3.0 * (static_cast<double>(s.pole3) - s.pole4));
                break;
            default:
                samples[i] = 0;
                break;
        }
    }
}

void post_filter_block(post_filter_state& state, std::int16_t* samples, int length) {
    if (length <= 0 || !make_room(state, length)) {
        return;
    }
    float* work = state.work.get();
    for (int i = 0; i < length; ++i) {
        work[i] = static_cast<float>(samples[i] * static_cast<double>(sample_scale));
    }
    quantise_block(state.quantiser, work, length);
    // A smoothing stage once sat here; its window of one sample left every block as it
    // was, so it is not run.
    for (std::size_t stage = 0; stage < chain_settings.size(); ++stage) {
        ladder_filter_block(state.stages[stage], chain_settings[stage], work, length);
    }
    for (int i = 0; i < length; ++i) {
        const double clamped = std::clamp(static_cast<double>(work[i]), -1.0, 1.0);
        samples[i] = static_cast<std::int16_t>(clamped * output_scale);
    }
}

namespace {

// Zero at program start and never reset: the filters ring on from block to block.
post_filter_state process_state;

}  // namespace

void* post_filter(void*, void* new_buffer, int length_in_samples, void*) {
    post_filter_block(process_state, static_cast<std::int16_t*>(new_buffer), length_in_samples);
    return new_buffer;
}
