#pragma once

#include <string_view>
#include <vector>

#include "tools/composer/instruments.hpp"

// A track is one player of the band: an instrument with its place in the mix.
struct track {
    std::string_view name;
    instrument voice;
    float level = 1.0F;      // gain into the mix
    float echo_send = 0.0F;  // share of the track that also goes into the echo
    float duck = 0.0F;       // how far each kick pushes the track down (0 none, 1 silent)
};

// A pattern is written the way a tracker shows it: one token per step, separated by
// spaces or by '|', which may mark the bar lines for the reader.
//   .          rest (also ends a held note)
//   -          keep holding the previous note or chord
//   x X o      a drum hit: normal, accented, ghost
//   A4 C#5 Bb3 a note (name, optional sharp or flat, octave; A4 is 440 Hz)
//   A3+C4+E4   a chord: notes joined with '+'
struct pattern {
    std::string_view name;
    int steps_per_beat = 4;  // 4 = sixteenth notes, 1 = quarter notes
    std::string_view steps;
};

// Which track plays which pattern, and how loud.
struct part {
    std::string_view track;
    std::string_view pattern;
    float level = 1.0F;
};

// A stretch of the show in bars; every pattern of it starts at from_bar and repeats
// until to_bar, where held notes are let go. Sections may overlap, so a long layer
// can run under several short ones.
struct section {
    std::string_view scene;  // what the show is doing meanwhile
    double from_bar = 0.0;
    double to_bar = 0.0;
    std::vector<part> parts;
};

struct echo_settings {
    double delay_beats = 0.75;
    float feedback = 0.35F;
    float damping_hz = 3000.0F;
};

struct master_settings {
    float loudness_db = -16.0F;  // average (RMS) level the mix is brought to
    float ceiling_db = -3.0F;    // no sample goes above this, with room for the encoder
    double fade_bars = 0.25;     // closing fade that ends at the end bar
};

struct score {
    std::vector<track> tracks;
    std::vector<pattern> patterns;
    std::vector<section> arrangement;
    std::string_view duck_trigger;  // the track whose hits duck the others
    echo_settings echo;
    master_settings master;
    double end_bar = 0.0;         // silence from here on
    double length_seconds = 0.0;  // length of the rendered file
};

// The show's soundtrack.
const score& show_score();
