#pragma once

#include <span>
#include <string_view>

#include "show/effect.hpp"

// Builds the show's effect graph, reading the two screen files (found as every data file
// is: in the working directory, beside the program, then in ../share/textshow relative
// to it), and fills show_timeline. The first call builds; later calls find it built. The
// graph lives until the process ends and is never torn down.
void show_compose();

// The names by which tools and benchmarks pick one of the effects that several rows and
// parents share, in the order the show builds them. Each has one clock for the whole
// show, so a tool that renders one of them on its own sees it exactly as the show does.
std::span<const std::string_view> show_shared_names();

// The shared effect of that name, from the graph show_compose builds (building it if it
// is not yet); null for a name that is not in the list.
effect* show_shared_effect(std::string_view name);
