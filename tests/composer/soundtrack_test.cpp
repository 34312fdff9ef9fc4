#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <numeric>
#include <span>
#include <string>
#include <vector>

#include "base/data_file_names.hpp"
#include "listening.hpp"
#include "show/show_ticks.hpp"
#include "tools/composer/renderer.hpp"
#include "tools/composer/score.hpp"
#include "tools/composer/sequencer.hpp"

namespace {

// The show's own timeline, in show ticks.
constexpr std::int64_t final_hit_tick = 1804000;        // the screen clears for the last time
constexpr std::int64_t show_end_tick = show_last_tick;  // the show ends its process
constexpr std::int64_t beat_ticks = 11000;
constexpr std::int64_t two_ms = 88;  // samples

// The soundtrack as the build wrote it for the show, decoded again.
struct built_file {
    SF_INFO info{};
    std::vector<float> samples;
    sf_count_t read = 0;
};

built_file decode_built_file() {
    const std::string path = std::string(TEXTSHOW_BINARY_DIR "/bin/") + soundtrack_file_name;
    built_file file;
    SNDFILE* handle = sf_open(path.c_str(), SFM_READ, &file.info);
    if (handle == nullptr) {
        ADD_FAILURE() << path;
        return file;
    }
    file.samples.resize(static_cast<std::size_t>(file.info.frames));
    file.read = sf_readf_float(handle, file.samples.data(), file.info.frames);
    sf_close(handle);
    return file;
}

std::span<const float> ticks_span(std::int64_t from_tick, std::int64_t to_tick) {
    const auto& music = show_soundtrack();
    const auto from = static_cast<std::size_t>(sample_of_tick(from_tick));
    const auto to = static_cast<std::size_t>(sample_of_tick(to_tick));
    return std::span<const float>(music).subspan(from, to - from);
}

}  // namespace

TEST(soundtrack, keeps_a_steady_loudness) {
    // The peak of what the show plays is checked on the built file below.
    const auto& music = show_soundtrack();
    const double loudness = decibels(rms_of(music));
    EXPECT_GE(loudness, -20.0);
    EXPECT_LE(loudness, -12.0);
}

TEST(soundtrack, follows_the_scenes_from_a_quiet_start_to_a_full_theme) {
    const auto loudness = [](std::int64_t from_tick, std::int64_t to_tick) {
        return decibels(rms_of(ticks_span(from_tick, to_tick)));
    };
    const double opening = loudness(0, 110000);         // the "Kein Signal" screen
    const double fire = loudness(110000, 220000);       // the word catches fire
    const double flicker = loudness(220000, 330000);    // the beat comes in
    const double theme = loudness(616000, 1166000);     // the invitation scroller
    const double cleared = loudness(1188000, 1232000);  // the one-bar break
    const double credits = loudness(1430000, 1760000);  // the closing theme
    EXPECT_LT(opening, fire);
    EXPECT_LT(fire + 3.0, flicker);
    EXPECT_LT(opening + 10.0, theme);
    EXPECT_LT(cleared + 10.0, theme);
    EXPECT_LT(cleared + 10.0, credits);
    EXPECT_GT(opening, -45.0) << "the opening is sparse, not silent";
}

TEST(soundtrack, final_hit_lands_on_the_cleared_screen_and_dies_before_the_end) {
    const auto& music = show_soundtrack();
    // The last beat before the hit is left silent; once the roll before it has died down,
    // the hit is the first thing to reach a good part of its own loudness.
    const std::int64_t hit = first_reaching(music, sample_of_tick(final_hit_tick - beat_ticks / 2),
                                            sample_of_tick(final_hit_tick + 2 * beat_ticks), 0.3F);
    EXPECT_NEAR(static_cast<double>(hit), static_cast<double>(sample_of_tick(final_hit_tick)),
                static_cast<double>(two_ms));
    EXPECT_GT(peak_in(ticks_span(final_hit_tick, final_hit_tick + beat_ticks)), 0.5F);
    EXPECT_LT(
        decibels(peak_in(ticks_span(show_end_tick, static_cast<std::int64_t>(music.size()) / 2))),
        -60.0);
}

TEST(soundtrack, kicks_fall_on_every_beat_wherever_the_drums_play) {
    // The drums play from the flickering image up to the break, and from the counters up to
    // the final roll; the final hit above shows that a note sounds where it is placed.
    const score& music = show_score();
    const sequence placed = sequence_score(music);
    std::size_t kick = 0;
    while (music.tracks[kick].voice != instrument::kick) {
        ++kick;
    }
    const std::int64_t beat = sample_of_tick(beat_ticks);
    for (const auto& [from_bar, to_bar] : {std::pair{5.0, 26.5}, std::pair{28.0, 40.75}}) {
        const std::int64_t first = std::llround(from_bar * 4.0) * beat;
        const std::int64_t last = std::llround(to_bar * 4.0) * beat;
        std::int64_t kicks = 0;
        for (const note_event& note : placed.notes[kick]) {
            if (note.start >= first && note.start < last) {
                EXPECT_EQ(note.start % beat, 0) << "a kick off the beat at bar "
                                                << static_cast<double>(note.start) / (4.0 * beat);
                ++kicks;
            }
        }
        // Every beat has its kick; a fill may swallow the odd one.
        EXPECT_GE(kicks, (last - first) / beat * 9 / 10) << "from bar " << from_bar;
    }
}

TEST(soundtrack, built_file_is_this_music_in_ogg_vorbis_centred_and_just_past_the_show) {
    const built_file file = decode_built_file();
    const SF_INFO& info = file.info;
    const std::vector<float>& decoded = file.samples;
    ASSERT_FALSE(decoded.empty());

    EXPECT_EQ(info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_OGG);
    EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, SF_FORMAT_VORBIS);
    EXPECT_EQ(info.samplerate, 44100);
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(file.read, info.frames);
    const double seconds = static_cast<double>(info.frames) / 44100.0;
    EXPECT_GE(seconds, 83.0);
    EXPECT_LE(seconds, 85.0);
    // Lossy coding moves peaks a little; they must still stay under the ceiling.
    EXPECT_LE(decibels(peak_in(decoded)), -1.0);

    // What the show plays is the score as it stands: coding noise changes the waveform,
    // but every tenth of a second keeps its loudness.
    const auto& music = show_soundtrack();
    ASSERT_EQ(decoded.size(), music.size());
    constexpr std::size_t frame = 4410;
    for (std::size_t i = 0; i + frame <= music.size(); i += frame) {
        const double rendered = decibels(rms_of(std::span<const float>(music).subspan(i, frame)));
        const double played = decibels(rms_of(std::span<const float>(decoded).subspan(i, frame)));
        if (rendered > -50.0) {
            ASSERT_NEAR(played, rendered, 1.0) << "at " << static_cast<double>(i) / 44100.0 << " s";
        }
    }
    // It stays centred on zero: an offset costs headroom and thumps when the playback
    // starts or stops. A voice whose waveform or envelope sits on one side of zero shows as
    // a drift in the mean of each second, over which the kicks and the low notes average
    // out to well under the limit.
    constexpr std::size_t second = 44100;
    for (std::size_t i = 0; i + second <= decoded.size(); i += second / 2) {
        const auto window = std::span<const float>(decoded).subspan(i, second);
        const double mean = std::accumulate(window.begin(), window.end(), 0.0) / second;
        ASSERT_LE(std::abs(mean), 0.002) << "at " << static_cast<double>(i) / 44100.0 << " s";
    }
}
