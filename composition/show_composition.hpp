#pragma once

#include <array>
#include <string_view>

#include "show/effect.hpp"

// The seven effects that several rows and parents share. Each has one clock for the whole
// show, so a tool that renders one of them on its own sees it exactly as the show does.
struct show_shared_instances {
    effect& no_signal;
    effect& counter_twirl;
    effect& fire;
    effect& image_flicker;
    effect& plasma;
    effect& credits;
    effect& digits_credits;
};

// Builds the show's effect graph, reading the two screen files from the working
// directory, and fills show_timeline. The first call builds; later calls return the same
// graph. The graph lives until the process ends and is never torn down.
const show_shared_instances& show_compose();

// The names by which tools and benchmarks pick a shared effect, in the order the show
// builds them.
inline constexpr std::array<std::string_view, 7> show_shared_names{
    "no_signal", "counter_twirl", "fire", "image_flicker", "plasma", "credits", "digits_credits"};

// The shared effect of that name; null for a name that is not in the list.
effect* show_shared_effect(const show_shared_instances& shared, std::string_view name);
