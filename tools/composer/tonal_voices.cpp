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

double detuned(double hz, double cents) {
    return hz * std::pow(2.0, cents / 1200.0);
}

std::int64_t held_with_release(const note_event& note, const adsr_shape& shape) {
    return note.length + samples_to_fall(shape.release, voice_floor);
}

// What every held voice starts from: its envelope over the note, the part of the bus it
// may write (the note and its release) and the note's pitch in hertz.
struct held_note {
    held_note(const note_event& note, std::span<float> bus, const adsr_shape& shape)
        : envelope(shape, note.length),
          out(voice_window(bus, note, held_with_release(note, shape))),
          hz(frequency_of_pitch(note.pitch)) {}
    adsr envelope;
    std::span<float> out;
    double hz;
};

}  // namespace

void render_drone(const note_event& note, std::span<float> bus) {
    auto [envelope, out, hz] = held_note(note, bus, {1.5F, 1.0F, 1.0F, 1.2F});
    saw_oscillator low(0.0);
    saw_oscillator high(0.5);
    low.set_frequency(detuned(hz, -5.0));
    high.set_frequency(detuned(hz, 5.0));
    phase_accumulator sub;
    sub.set_frequency(hz);
    phase_accumulator sway;
    sway.set_frequency(0.23);
    state_variable_filter tone;
    // The slow sway of the cutoff keeps a held note from sounding frozen.
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double sway_phase = sway.advance();
        if (i % filter_update_interval == 0) {
            tone.set(420.0F + 180.0F * sine_of_phase(sway_phase), 0.3F);
        }
        const float raw =
            0.5F * (low.next() + high.next()) + 0.6F * triangle_of_phase(sub.advance());
        out[i] += note.velocity * envelope.next() * tone.process(raw).low;
    }
}

void render_bass(const note_event& note, std::span<float> bus) {
    auto [envelope, out, hz] = held_note(note, bus, {0.002F, 0.25F, 0.65F, 0.03F});
    saw_oscillator saw;
    saw.set_frequency(hz);
    phase_accumulator body;
    body.set_frequency(hz);
    state_variable_filter tone;
    // The lowest octave belongs to the kick: the bass is thinned below it and is heard by
    // its harmonics, so the two never blur into one boom.
    state_variable_filter room_for_the_kick;
    room_for_the_kick.set(65.0F, 0.0F);
    dc_blocker centred;
    const float filter_fall = decay_factor(0.07F);
    float filter_env = 1.0F;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (i % filter_update_interval == 0) {
            tone.set(220.0F + 1500.0F * filter_env * note.velocity, 0.35F);
        }
        // The sine holds the fundamental steady while the filtered saw gives the pluck.
        const float raw = 0.7F * saw.next() + 0.1F * sine_of_phase(body.advance());
        const float shaped = room_for_the_kick.process(tone.process(raw).low).high;
        // The envelope cuts a short low note part way through a cycle, which leaves a little
        // of it on one side of zero; repeated on every sixteenth, that would become a drift.
        out[i] += note.velocity * centred.process(envelope.next() * shaped);
        filter_env *= filter_fall;
    }
}

void render_pad(const note_event& note, std::span<float> bus) {
    auto [envelope, out, hz] = held_note(note, bus, {0.35F, 0.8F, 0.75F, 0.45F});
    // Three saws a few cents apart, each starting at its own phase: the chorus of a
    // string machine.
    std::array<saw_oscillator, 3> voices{saw_oscillator(0.0), saw_oscillator(0.33),
                                         saw_oscillator(0.67)};
    voices[0].set_frequency(detuned(hz, -8.0));
    voices[1].set_frequency(hz);
    voices[2].set_frequency(detuned(hz, 8.0));
    phase_accumulator sway(static_cast<double>(note.seed % 1000) / 1000.0);
    sway.set_frequency(0.3);
    state_variable_filter tone;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double sway_phase = sway.advance();
        if (i % filter_update_interval == 0) {
            tone.set(1500.0F + 400.0F * sine_of_phase(sway_phase), 0.15F);
        }
        const float raw = (voices[0].next() + voices[1].next() + voices[2].next()) / 3.0F;
        out[i] += note.velocity * envelope.next() * tone.process(raw).low;
    }
}

namespace {

// One of the two oscillators of a plucked voice: a saw, or a pulse of the given width,
// starting at `phase`, tuned `cents` off the note.
struct pluck_oscillator {
    bool pulse = false;
    double width = 0.0;
    double phase = 0.0;
    double cents = 0.0;
};

// A plucked voice: two oscillators mixed evenly into a low-pass whose cutoff falls from
// `cutoff_floor + cutoff_sweep` towards `cutoff_floor` in `filter_time` seconds, under an
// envelope that dies away while the note is held.
struct plucked_voice {
    adsr_shape shape;
    pluck_oscillator first;
    pluck_oscillator second;
    float filter_time = 0.0F;
    float cutoff_floor = 0.0F;
    float cutoff_sweep = 0.0F;
    float resonance = 0.0F;
};

// The stab: two saws either side of the note, their filter opened wide and closing slowly.
constexpr plucked_voice stab_voice{{0.002F, 0.28F, 0.0F, 0.12F},
                                   {false, 0.0, 0.1, -10.0},
                                   {false, 0.0, 0.6, 10.0},
                                   0.12F,
                                   500.0F,
                                   3500.0F,
                                   0.3F};

// The pluck: a saw on the note and a narrow pulse just above it, shorter and brighter.
constexpr plucked_voice pluck_voice{{0.001F, 0.16F, 0.0F, 0.08F},
                                    {false, 0.0, 0.0, 0.0},
                                    {true, 0.3, 0.0, 6.0},
                                    0.05F,
                                    350.0F,
                                    4200.0F,
                                    0.4F};

// A saw or a pulse, as the voice asks.
class either_oscillator {
  public:
    either_oscillator(const pluck_oscillator& kind, double hz)
        : pulse_(kind.pulse), saw_(kind.phase), square_(kind.width, kind.phase) {
        saw_.set_frequency(detuned(hz, kind.cents));
        square_.set_frequency(detuned(hz, kind.cents));
    }
    float next() { return pulse_ ? square_.next() : saw_.next(); }

  private:
    bool pulse_;
    saw_oscillator saw_;
    pulse_oscillator square_;
};

void render_plucked(const plucked_voice& voice, const note_event& note, std::span<float> bus) {
    auto [envelope, out, hz] = held_note(note, bus, voice.shape);
    either_oscillator first(voice.first, hz);
    either_oscillator second(voice.second, hz);
    state_variable_filter tone;
    const float filter_fall = decay_factor(voice.filter_time);
    float filter_env = 1.0F;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (i % filter_update_interval == 0) {
            tone.set(voice.cutoff_floor + voice.cutoff_sweep * filter_env, voice.resonance);
        }
        const float raw = 0.5F * (first.next() + second.next());
        out[i] += note.velocity * envelope.next() * tone.process(raw).low;
        filter_env *= filter_fall;
    }
}

}  // namespace

void render_stab(const note_event& note, std::span<float> bus) {
    render_plucked(stab_voice, note, bus);
}

void render_pluck(const note_event& note, std::span<float> bus) {
    render_plucked(pluck_voice, note, bus);
}

void render_lead(const note_event& note, std::span<float> bus) {
    auto [envelope, out, hz] = held_note(note, bus, {0.008F, 0.4F, 0.7F, 0.12F});
    pulse_oscillator pulse(0.4);
    saw_oscillator saw(0.25);
    phase_accumulator vibrato;
    vibrato.set_frequency(5.5);
    state_variable_filter tone;
    const float filter_fall = decay_factor(0.2F);
    float filter_env = 1.0F;
    // Vibrato fades in after the attack, as a singer's would, so short notes stay clean.
    const auto vibrato_delay = static_cast<double>(samples_from_seconds(0.15));
    const auto vibrato_ramp = static_cast<double>(samples_from_seconds(0.3));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double depth =
            std::clamp((static_cast<double>(i) - vibrato_delay) / vibrato_ramp, 0.0, 1.0) * 0.25;
        const double bent = detuned(hz, 100.0 * depth * sine_of_phase(vibrato.advance()));
        pulse.set_frequency(bent);
        saw.set_frequency(detuned(bent, 5.0));
        if (i % filter_update_interval == 0) {
            tone.set(2400.0F + 1800.0F * filter_env, 0.2F);
        }
        const float raw = 0.55F * pulse.next() + 0.45F * saw.next();
        out[i] += note.velocity * envelope.next() * tone.process(raw).low;
        filter_env *= filter_fall;
    }
}

void render_ping(const note_event& note, std::span<float> bus) {
    constexpr float ring_time = 0.22F;
    auto out = voice_window(bus, note, samples_to_fall(ring_time, voice_floor));
    phase_accumulator tone;
    tone.set_frequency(frequency_of_pitch(note.pitch));
    const float fall = decay_factor(ring_time);
    // A few samples of attack keep the sine's start from clicking.
    const float attack_step = 1.0F / 88.0F;
    float attack = 0.0F;
    float env = 1.0F;
    for (float& sample : out) {
        const double p = tone.advance();
        attack = std::min(1.0F, attack + attack_step);
        sample += note.velocity * attack * env * (sine_of_phase(p) + 0.2F * sine_of_phase(2.0 * p));
        env *= fall;
    }
}
