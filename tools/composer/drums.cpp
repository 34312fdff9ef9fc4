#include <algorithm>
#include <array>
#include <cmath>

#include "tools/composer/envelope.hpp"
#include "tools/composer/filter.hpp"
#include "tools/composer/instruments.hpp"
#include "tools/composer/oscillators.hpp"
#include "tools/composer/timing.hpp"
#include "tools/composer/voice_window.hpp"

namespace {

// Six detuned square waves at inharmonic ratios: the metallic ring of an analogue drum
// machine's cymbals. Naive squares are fine here, the sum is high-passed into a hiss.
class metal_source {
  public:
    metal_source() {
        constexpr std::array<double, 6> frequencies{205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
        for (std::size_t i = 0; i < phases_.size(); ++i) {
            phases_[i].set_frequency(frequencies[i] * 1.7);
        }
    }
    float next() {
        float sum = 0.0F;
        for (auto& phase : phases_) {
            sum += phase.advance() < 0.5 ? 1.0F : -1.0F;
        }
        return sum / static_cast<float>(phases_.size());
    }

  private:
    std::array<phase_accumulator, 6> phases_;
};

}  // namespace

void render_kick(const note_event& note, std::span<float> bus) {
    constexpr float body_time = 0.16F;
    auto out = voice_window(bus, note, samples_to_fall(body_time, voice_floor));
    phase_accumulator phase;
    noise_source noise(note.seed);
    one_pole_lowpass click_tone;
    click_tone.set(4000.0F);
    dc_blocker centred;
    const float pitch_fall = decay_factor(0.025F);
    const float body_fall = decay_factor(body_time);
    const float click_fall = decay_factor(0.0015F);
    float pitch_env = 1.0F;
    float body_env = 1.0F;
    float click_env = 1.0F;
    // The sine starts at phase zero on the note's first sample, so the thump lands exactly
    // on the beat; the drop from 150 Hz to 48 Hz is what makes it a kick and not a tom.
    for (float& sample : out) {
        phase.set_frequency(48.0 + 100.0 * pitch_env);
        const float sine = sine_of_phase(phase.advance());
        // A soft clip rounds the sine towards a square: more weight at the same peak.
        const float body = sine * (1.5F - 0.5F * sine * sine);
        const float click = click_tone.process(noise.next()) * click_env;
        sample += note.velocity * centred.process(body * body_env + 0.6F * click);
        pitch_env *= pitch_fall;
        body_env *= body_fall;
        click_env *= click_fall;
    }
}

void render_snare(const note_event& note, std::span<float> bus) {
    constexpr float rattle_time = 0.11F;
    auto out = voice_window(bus, note, samples_to_fall(rattle_time, voice_floor));
    phase_accumulator phase;
    noise_source noise(note.seed);
    state_variable_filter rattle;
    rattle.set(2200.0F, 0.15F);
    dc_blocker centred;
    const float pitch_fall = decay_factor(0.02F);
    const float tone_fall = decay_factor(0.055F);
    const float rattle_fall = decay_factor(rattle_time);
    float pitch_env = 1.0F;
    float tone_env = 1.0F;
    float rattle_env = 1.0F;
    for (float& sample : out) {
        phase.set_frequency(175.0 + 70.0 * pitch_env);
        const float tone = sine_of_phase(phase.advance()) * tone_env;
        const auto filtered = rattle.process(noise.next());
        const float snare_wires = (filtered.high + 0.7F * filtered.band) * rattle_env;
        sample += note.velocity * centred.process(0.6F * tone + 0.55F * snare_wires);
        pitch_env *= pitch_fall;
        tone_env *= tone_fall;
        rattle_env *= rattle_fall;
    }
}

void render_hat(const note_event& note, std::span<float> bus, bool open) {
    const float ring_time = open ? 0.16F : 0.028F;
    auto out = voice_window(bus, note, samples_to_fall(ring_time, voice_floor));
    noise_source noise(note.seed);
    metal_source metal;
    state_variable_filter brightness;
    brightness.set(open ? 6500.0F : 7500.0F, 0.2F);
    const float fall = decay_factor(ring_time);
    float env = 1.0F;
    for (float& sample : out) {
        const float source = 0.6F * noise.next() + 0.5F * metal.next();
        sample += note.velocity * brightness.process(source).high * env;
        env *= fall;
    }
}

void render_crash(const note_event& note, std::span<float> bus) {
    constexpr float ring_time = 0.55F;
    auto out = voice_window(bus, note, samples_to_fall(ring_time, voice_floor));
    noise_source noise(note.seed);
    metal_source metal;
    state_variable_filter brightness;
    brightness.set(4200.0F, 0.1F);
    const float fall = decay_factor(ring_time);
    const float attack_fall = decay_factor(0.04F);
    float env = 1.0F;
    float attack = 1.0F;
    for (float& sample : out) {
        const float source = 0.7F * noise.next() + 0.4F * metal.next();
        sample += note.velocity * brightness.process(source).high * (env + 0.6F * attack);
        env *= fall;
        attack *= attack_fall;
    }
}

void render_riser(const note_event& note, std::span<float> bus) {
    constexpr float release = 0.05F;
    auto out = voice_window(bus, note, note.length + samples_to_fall(release, voice_floor));
    noise_source noise(note.seed);
    state_variable_filter sweep;
    const float release_fall = decay_factor(release);
    const double held = static_cast<double>(std::max<std::int64_t>(note.length, 1));
    float level = 0.0F;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto n = static_cast<std::int64_t>(i);
        if (n < note.length) {
            // Rising both in pitch (the band sweeps up exponentially) and in volume.
            const double progress = static_cast<double>(n) / held;
            if (n % filter_update_interval == 0) {
                sweep.set(static_cast<float>(250.0 * std::pow(36.0, progress)), 0.55F);
            }
            level = static_cast<float>(progress * progress);
        } else {
            level *= release_fall;
        }
        out[i] += note.velocity * 1.4F * sweep.process(noise.next()).band * level;
    }
}

void render_static(const note_event& note, std::span<float> bus) {
    const adsr_shape shape{0.25F, 0.1F, 1.0F, 0.35F};
    adsr envelope(shape, note.length);
    auto out = voice_window(bus, note, note.length + samples_to_fall(shape.release, voice_floor));
    noise_source noise(note.seed);
    noise_source crackle(note.seed ^ 0x5bd1e995U);
    state_variable_filter hiss;
    hiss.set(4500.0F, 0.1F);
    one_pole_lowpass flutter;
    flutter.set(30.0F);
    phase_accumulator hum;
    hum.set_frequency(50.0);
    // A dead channel: hiss whose loudness flutters, over a faint mains hum.
    constexpr std::int64_t flutter_period = 441;
    float flutter_target = 1.0F;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (static_cast<std::int64_t>(i) % flutter_period == 0) {
            flutter_target = 0.65F + 0.35F * crackle.next();
        }
        const float hiss_part = hiss.process(noise.next()).band * flutter.process(flutter_target);
        const float hum_part = 0.25F * sine_of_phase(hum.advance());
        out[i] += note.velocity * envelope.next() * (hiss_part + hum_part);
    }
}
