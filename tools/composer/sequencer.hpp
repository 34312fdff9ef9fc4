#pragma once

#include <string>
#include <vector>

#include "tools/composer/note_event.hpp"
#include "tools/composer/score.hpp"

struct sequence {
    std::vector<std::vector<note_event>> notes;  // one list per track of the score, by start
    std::vector<std::string> problems;           // anything in the score that cannot be played
};

// Lays the arrangement out on the sample grid: every pattern of every section, repeated
// over its section, becomes notes at exact sample positions.
sequence sequence_score(const score& music);

std::size_t track_index(const score& music, std::string_view name);
