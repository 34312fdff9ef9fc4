#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/composer/score.hpp"

struct pattern_step {
    enum class kind { rest, hold, strike };
    kind what = kind::rest;
    float velocity = 0.0F;
    std::vector<int> pitches;  // empty for a drum hit
};

// "A4" -> 69, "C#5" -> 73, "Bb3" -> 58; nothing for anything else.
std::optional<int> parse_note_name(std::string_view text);

// The steps of a pattern; each token that cannot be read is reported in problems.
std::vector<pattern_step> parse_pattern(const pattern& source, std::vector<std::string>& problems);
