#include "tools/composer/pattern_parser.hpp"

#include <array>
#include <cctype>

namespace {

// Loudness of the drum marks and of notes, which have no mark of their own.
constexpr float normal_velocity = 0.8F;
constexpr float accent_velocity = 1.0F;
constexpr float ghost_velocity = 0.45F;

template <typename is_separator>
std::vector<std::string_view> split(std::string_view text, is_separator separator) {
    std::vector<std::string_view> pieces;
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || separator(text[i])) {
            if (i > begin) {
                pieces.push_back(text.substr(begin, i - begin));
            }
            begin = i + 1;
        }
    }
    return pieces;
}

// Bar lines are only for the reader, so they separate tokens just as spaces do.
std::vector<std::string_view> tokens_of(std::string_view text) {
    return split(
        text, [](char c) { return c == '|' || std::isspace(static_cast<unsigned char>(c)) != 0; });
}

}  // namespace

std::optional<int> parse_note_name(std::string_view text) {
    // Semitones above C of the natural notes A to G.
    constexpr std::array<int, 7> letter_offsets{9, 11, 0, 2, 4, 5, 7};
    if (text.size() < 2 || text[0] < 'A' || text[0] > 'G') {
        return std::nullopt;
    }
    int semitone = letter_offsets[static_cast<std::size_t>(text[0] - 'A')];
    std::size_t position = 1;
    if (text[position] == '#' || text[position] == 'b') {
        semitone += text[position] == '#' ? 1 : -1;
        ++position;
    }
    if (position + 1 != text.size() ||
        std::isdigit(static_cast<unsigned char>(text[position])) == 0) {
        return std::nullopt;
    }
    const int octave = text[position] - '0';
    return 12 * (octave + 1) + semitone;
}

std::vector<pattern_step> parse_pattern(const pattern& source, std::vector<std::string>& problems) {
    std::vector<pattern_step> steps;
    for (std::string_view token : tokens_of(source.steps)) {
        pattern_step step;
        if (token == ".") {
            step.what = pattern_step::kind::rest;
        } else if (token == "-") {
            step.what = pattern_step::kind::hold;
        } else if (token == "x" || token == "X" || token == "o") {
            step.what = pattern_step::kind::strike;
            step.velocity = token == "X"   ? accent_velocity
                            : token == "o" ? ghost_velocity
                                           : normal_velocity;
        } else {
            step.what = pattern_step::kind::strike;
            step.velocity = normal_velocity;
            for (std::string_view name : split(token, [](char c) { return c == '+'; })) {
                const auto pitch = parse_note_name(name);
                if (!pitch) {
                    problems.push_back("pattern " + std::string(source.name) + ": cannot read '" +
                                       std::string(token) + "'");
                    break;
                }
                step.pitches.push_back(*pitch);
            }
            if (step.pitches.empty()) {
                step.what = pattern_step::kind::rest;
            }
        }
        steps.push_back(std::move(step));
    }
    return steps;
}
