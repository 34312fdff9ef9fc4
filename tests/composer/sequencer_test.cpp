#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "show/show_ticks.hpp"
#include "tools/composer/pattern_parser.hpp"
#include "tools/composer/sequencer.hpp"

namespace {

constexpr std::int64_t sixteenth = 5500;  // samples
constexpr std::int64_t bar = 88000;

score one_track_score(std::vector<pattern> patterns, std::vector<section> arrangement) {
    score music;
    music.tracks = {{"keys", instrument::pluck}, {"drums", instrument::kick}};
    music.patterns = std::move(patterns);
    music.arrangement = std::move(arrangement);
    return music;
}

bool mentions(const std::vector<std::string>& problems, const std::string& word) {
    return std::any_of(problems.begin(), problems.end(), [&](const std::string& problem) {
        return problem.find(word) != std::string::npos;
    });
}

}  // namespace

TEST(pattern_parser, reads_note_names_with_accidentals_and_octaves) {
    EXPECT_EQ(parse_note_name("A4"), 69);
    EXPECT_EQ(parse_note_name("C4"), 60);
    EXPECT_EQ(parse_note_name("C#5"), 73);
    EXPECT_EQ(parse_note_name("Bb3"), 58);
    EXPECT_EQ(parse_note_name("E1"), 28);
    for (const char* wrong : {"H2", "A", "a4", "A#", "A10", "Cx4", ""}) {
        EXPECT_FALSE(parse_note_name(wrong).has_value()) << wrong;
    }
}

TEST(pattern_parser, tells_hits_notes_chords_holds_and_rests_apart) {
    std::vector<std::string> problems;
    const auto steps = parse_pattern({"p", 4, "x X o | A3+C4+E4 - .\n  G2"}, problems);
    ASSERT_TRUE(problems.empty());
    ASSERT_EQ(steps.size(), 7U);
    EXPECT_LT(steps[2].velocity, steps[0].velocity);
    EXPECT_LT(steps[0].velocity, steps[1].velocity);
    EXPECT_TRUE(steps[0].pitches.empty());
    EXPECT_EQ(steps[3].pitches, (std::vector<int>{57, 60, 64}));
    EXPECT_EQ(steps[4].what, pattern_step::kind::hold);
    EXPECT_EQ(steps[5].what, pattern_step::kind::rest);
    EXPECT_EQ(steps[6].pitches, std::vector<int>{43});

    parse_pattern({"broken", 4, "A4 Q9 x"}, problems);
    EXPECT_TRUE(mentions(problems, "Q9"));
}

TEST(sequencer, places_notes_on_exact_samples_and_holds_them) {
    const score music =
        one_track_score({{"riff", 4, "A4 - - . C5 . . ."}, {"four", 1, "x"}},
                        {{"verse", 2.0, 2.5, {{"keys", "riff", 0.5F}, {"drums", "four"}}}});
    const sequence result = sequence_score(music);
    ASSERT_TRUE(result.problems.empty());

    const auto& keys = result.notes[0];
    ASSERT_EQ(keys.size(), 2U);
    EXPECT_EQ(keys[0].start, 2 * bar);
    EXPECT_EQ(keys[0].length, 3 * sixteenth);
    EXPECT_EQ(keys[0].pitch, 69);
    EXPECT_EQ(keys[1].start, 2 * bar + 4 * sixteenth);
    EXPECT_EQ(keys[1].length, sixteenth);
    EXPECT_FLOAT_EQ(keys[1].velocity, 0.4F);

    // A one-step pattern repeats on every beat of the half bar.
    const auto& drums = result.notes[1];
    ASSERT_EQ(drums.size(), 2U);
    EXPECT_EQ(drums[1].start - drums[0].start, 4 * sixteenth);
    EXPECT_NE(drums[0].seed, drums[1].seed);
}

TEST(sequencer, repeats_patterns_and_lets_go_at_the_section_end) {
    const score music =
        one_track_score({{"pad", 1, "A3+E4 - - - - - - -"}, {"hat", 4, ". . x ."}},
                        {{"short", 0.0, 1.25, {{"keys", "pad"}, {"drums", "hat"}}}});
    const sequence result = sequence_score(music);
    ASSERT_TRUE(result.problems.empty());
    ASSERT_EQ(result.notes[0].size(), 2U);
    for (const note_event& note : result.notes[0]) {
        EXPECT_EQ(note.length, bar + bar / 4);
    }
    ASSERT_EQ(result.notes[1].size(), 5U);
    EXPECT_EQ(result.notes[1].back().start, bar + 2 * sixteenth);
}

TEST(sequencer, reports_what_it_cannot_play) {
    const score music = one_track_score(
        {{"riff", 4, "A4"}, {"triplets", 3, "A4"}},
        {{"odd", 0.1, 1.0, {{"keys", "riff"}}},
         {"ok", 1.0, 2.0, {{"nobody", "riff"}, {"keys", "missing"}, {"keys", "triplets"}}}});
    const sequence result = sequence_score(music);
    EXPECT_TRUE(mentions(result.problems, "odd"));
    EXPECT_TRUE(mentions(result.problems, "nobody"));
    EXPECT_TRUE(mentions(result.problems, "missing"));
    EXPECT_TRUE(mentions(result.problems, "triplets"));
    EXPECT_TRUE(result.notes[0].empty());
}

TEST(show_score, plays_without_a_problem_and_every_track_is_heard) {
    const score& music = show_score();
    const sequence result = sequence_score(music);
    EXPECT_TRUE(result.problems.empty()) << result.problems.front();
    for (std::size_t i = 0; i < music.tracks.size(); ++i) {
        EXPECT_FALSE(result.notes[i].empty()) << music.tracks[i].name << " never plays";
    }
    // Nothing may start once the show has ended its process, two samples to a tick.
    for (const auto& notes : result.notes) {
        for (const note_event& note : notes) {
            EXPECT_LT(note.start, 2 * std::int64_t{show_last_tick});
        }
    }
}
