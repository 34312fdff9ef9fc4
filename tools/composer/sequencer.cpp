#include "tools/composer/sequencer.hpp"

#include <algorithm>
#include <cmath>

#include "tools/composer/pattern_parser.hpp"
#include "tools/composer/timing.hpp"

namespace {

const pattern* find_pattern(const score& music, std::string_view name) {
    for (const pattern& candidate : music.patterns) {
        if (candidate.name == name) {
            return &candidate;
        }
    }
    return nullptr;
}

// A distinct, fixed noise seed for every note, so that no two hi-hats hiss alike and every
// build renders the same samples.
std::uint32_t seed_for(std::size_t track, std::size_t note) {
    std::uint32_t h = static_cast<std::uint32_t>(track) * 0x9E3779B1U;
    h ^= static_cast<std::uint32_t>(note) * 0x85EBCA77U;
    h ^= h >> 15;
    h *= 0x2C1B3C6DU;
    h ^= h >> 12;
    return h | 1U;
}

bool on_beat_grid(double bars) {
    const double beats = bars * static_cast<double>(beats_per_bar);
    return std::abs(beats - std::round(beats)) < 1.0e-9;
}

void play_part(const section& where, const part& what, const pattern& source, std::size_t track,
               sequence& result) {
    const auto steps = parse_pattern(source, result.problems);
    if (steps.empty()) {
        result.problems.push_back("pattern " + std::string(source.name) + " is empty");
        return;
    }
    const std::int64_t step_ticks = ticks_per_beat / source.steps_per_beat;
    const std::int64_t from = ticks_from_bars(where.from_bar);
    const std::int64_t to = ticks_from_bars(where.to_bar);
    auto& notes = result.notes[track];
    // Notes started by the last strike; a hold lengthens them, anything else lets go.
    std::size_t first_sounding = notes.size();
    for (std::int64_t step = 0; from + step * step_ticks < to; ++step) {
        const auto& current = steps[static_cast<std::size_t>(step) % steps.size()];
        const std::int64_t start = samples_from_ticks(from + step * step_ticks);
        const std::int64_t step_samples = samples_from_ticks(step_ticks);
        if (current.what == pattern_step::kind::hold) {
            for (std::size_t i = first_sounding; i < notes.size(); ++i) {
                notes[i].length += step_samples;
            }
            continue;
        }
        first_sounding = notes.size();
        if (current.what == pattern_step::kind::rest) {
            continue;
        }
        const float velocity = current.velocity * what.level;
        if (current.pitches.empty()) {
            notes.push_back({start, step_samples, note_event::no_pitch, velocity,
                             seed_for(track, notes.size())});
        }
        for (int pitch : current.pitches) {
            notes.push_back({start, step_samples, pitch, velocity, seed_for(track, notes.size())});
        }
    }
}

}  // namespace

std::size_t track_index(const score& music, std::string_view name) {
    for (std::size_t i = 0; i < music.tracks.size(); ++i) {
        if (music.tracks[i].name == name) {
            return i;
        }
    }
    return music.tracks.size();
}

sequence sequence_score(const score& music) {
    sequence result;
    result.notes.resize(music.tracks.size());
    for (const section& where : music.arrangement) {
        const std::string scene(where.scene);
        if (!on_beat_grid(where.from_bar) || !on_beat_grid(where.to_bar) ||
            where.to_bar <= where.from_bar) {
            result.problems.push_back("section " + scene + " does not span whole beats");
            continue;
        }
        for (const part& what : where.parts) {
            const std::size_t track = track_index(music, what.track);
            const pattern* source = find_pattern(music, what.pattern);
            if (track == music.tracks.size()) {
                result.problems.push_back("section " + scene + ": no track " +
                                          std::string(what.track));
            } else if (source == nullptr) {
                result.problems.push_back("section " + scene + ": no pattern " +
                                          std::string(what.pattern));
            } else if (source->steps_per_beat <= 0 ||
                       ticks_per_beat % source->steps_per_beat != 0) {
                result.problems.push_back("pattern " + std::string(source->name) +
                                          ": steps do not divide the beat");
            } else {
                play_part(where, what, *source, track, result);
            }
        }
    }
    for (auto& notes : result.notes) {
        std::stable_sort(notes.begin(), notes.end(), [](const note_event& a, const note_event& b) {
            return a.start < b.start;
        });
    }
    return result;
}
