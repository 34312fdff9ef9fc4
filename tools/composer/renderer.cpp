#include "tools/composer/renderer.hpp"

#include <algorithm>
#include <cmath>

#include "tools/composer/echo.hpp"
#include "tools/composer/envelope.hpp"
#include "tools/composer/master.hpp"
#include "tools/composer/sequencer.hpp"
#include "tools/composer/timing.hpp"

namespace {

// How far under each kick the ducked tracks have sunk: 1 just after the hit, falling back
// to 0 as the kick fades. The dip is what makes the bass and pads breathe with the beat.
std::vector<float> duck_curve(const std::vector<note_event>& kicks, std::size_t length) {
    std::vector<float> curve(length, 0.0F);
    const std::int64_t dip_in = samples_from_seconds(0.004);
    const float recovery = decay_factor(0.1F);
    const std::int64_t reach = samples_to_fall(0.1F, 1.0e-3F);
    for (const note_event& kick : kicks) {
        float depth = kick.velocity;
        const std::int64_t end =
            std::min<std::int64_t>(kick.start + reach, static_cast<std::int64_t>(length));
        for (std::int64_t i = kick.start; i < end; ++i) {
            const std::int64_t since = i - kick.start;
            const float ramp =
                since < dip_in ? static_cast<float>(since) / static_cast<float>(dip_in) : 1.0F;
            auto& value = curve[static_cast<std::size_t>(i)];
            value = std::max(value, std::min(depth, 1.0F) * ramp);
            if (since >= dip_in) {
                depth *= recovery;
            }
        }
    }
    return curve;
}

// Every track through its instrument, ducked under the kick, into the mix and the echo.
std::vector<float> mix_tracks(const score& music, const sequence& notes, std::size_t length) {
    const std::size_t trigger = track_index(music, music.duck_trigger);
    const std::vector<float> ducking = trigger < notes.notes.size()
                                           ? duck_curve(notes.notes[trigger], length)
                                           : std::vector<float>(length, 0.0F);
    std::vector<float> mix(length, 0.0F);
    std::vector<float> send(length, 0.0F);
    std::vector<float> bus(length, 0.0F);
    for (std::size_t t = 0; t < music.tracks.size(); ++t) {
        const track& player = music.tracks[t];
        if (notes.notes[t].empty()) {
            continue;
        }
        std::fill(bus.begin(), bus.end(), 0.0F);
        for (const note_event& note : notes.notes[t]) {
            render_voice(player.voice, note, bus);
        }
        for (std::size_t i = 0; i < length; ++i) {
            const float sample = bus[i] * player.level * (1.0F - player.duck * ducking[i]);
            mix[i] += sample;
            send[i] += sample * player.echo_send;
        }
    }
    echo repeats(samples_from_ticks(std::llround(music.echo.delay_beats * ticks_per_beat)),
                 music.echo.feedback, music.echo.damping_hz);
    for (std::size_t i = 0; i < length; ++i) {
        mix[i] += repeats.process(send[i]);
    }
    return mix;
}

// The mix is brought to its loudness as a whole and the limiter catches the peaks, so
// changing a track's level or adding a fill changes the balance, not the loudness.
void master(const score& music, std::span<float> mix) {
    double energy = 0.0;
    for (float sample : mix) {
        energy += static_cast<double>(sample) * sample;
    }
    const double loudness =
        std::sqrt(energy / static_cast<double>(std::max<std::size_t>(mix.size(), 1)));
    if (loudness > 0.0) {
        const auto gain = static_cast<float>(gain_from_db(music.master.loudness_db) / loudness);
        for (float& sample : mix) {
            sample *= gain;
        }
    }
    limit(mix, gain_from_db(music.master.ceiling_db), samples_from_seconds(0.002), 0.08F);

    const std::int64_t end = samples_from_ticks(ticks_from_bars(music.end_bar));
    const std::int64_t fade =
        samples_from_ticks(ticks_from_bars(music.end_bar - music.master.fade_bars));
    fade_out(mix, fade, end);
}

}  // namespace

rendering render_score(const score& music) {
    rendering result;
    const sequence notes = sequence_score(music);
    result.problems = notes.problems;
    if (track_index(music, music.duck_trigger) == music.tracks.size()) {
        result.problems.push_back("no track " + std::string(music.duck_trigger) +
                                  " to duck the others");
    }
    const auto length = static_cast<std::size_t>(samples_from_seconds(music.length_seconds));
    result.samples = mix_tracks(music, notes, length);
    master(music, result.samples);
    return result;
}

std::vector<std::int16_t> to_pcm16(std::span<const float> samples) {
    std::vector<std::int16_t> pcm(samples.size());
    std::transform(samples.begin(), samples.end(), pcm.begin(), [](float sample) {
        return static_cast<std::int16_t>(std::lround(std::clamp(sample, -1.0F, 1.0F) * 32767.0F));
    });
    return pcm;
}
