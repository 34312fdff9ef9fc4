#include "composition/show_composition.hpp"

#include <array>
#include <bit>
#include <cstdint>
#include <new>

#include "base/data_file_names.hpp"
#include "composition/show_texts.hpp"
#include "effects/counters.hpp"
#include "effects/fire_text.hpp"
#include "effects/layer_effects.hpp"
#include "effects/no_signal.hpp"
#include "effects/plasma_rings.hpp"
#include "effects/scroller.hpp"
#include "effects/twirl.hpp"
#include "effects/wobble.hpp"
#include "effects/zoom.hpp"
#include "show/show_ticks.hpp"
#include "show/timeline.hpp"

namespace {

// Every zoom of the show sweeps the same stretch of the sine, just under a quarter turn,
// either up from near zero (zoom-in) or down from just past the top (zoom-out). The
// values are kept as their single-precision bit patterns so that the pulses scale
// exactly as they were tuned.
constexpr float zoom_frequency = std::bit_cast<float>(std::uint32_t{0x3FC2A974});
constexpr float zoom_in_phase = std::bit_cast<float>(std::uint32_t{0x3DCCCCCD});
constexpr float zoom_out_phase = std::bit_cast<float>(std::uint32_t{0x3FCF7641});
constexpr std::int32_t zoom_period = 22000;

constexpr std::uint8_t key_blank = 0;
constexpr std::uint8_t key_space = ' ';

zoom_effect zoom_in(effect& child) {
    return zoom_effect(child, zoom_period, false, false, key_blank, zoom_in_phase, zoom_frequency);
}

zoom_effect zoom_out(effect& child, std::uint8_t fill = key_blank,
                     std::int32_t period = zoom_period) {
    return zoom_effect(child, period, false, false, fill, zoom_out_phase, zoom_frequency);
}

wobble_effect strong_wobble(effect& child) {
    return wobble_effect(3.0f, 2.0f, true, child);
}

// The effects that several rows or parents share, in the order they are built. Each
// appears once, so its clock starts at its first render anywhere and runs on wherever it
// comes back.
struct shared_effects {
    no_signal_effect no_signal;

    counter_stripes_effect stripes;
    counter_cross_effect cross;
    twirl_effect cross_twirl{cross, 0.4f, 0.25f};
    overlay_effect counter_twirl{stripes, cross_twirl, key_blank};

    fire_text_effect fire;

    // The wobbled screen B against the plain screen A: the two are drawn as one picture,
    // so the per-frame choice reads as that picture glitching.
    image_effect screen_b{screen_b_file_name};
    wobble_effect screen_b_wobble{1.1f, 1.1f, false, screen_b};
    image_effect screen_a{screen_a_file_name};
    random_switch_effect image_flicker{screen_b_wobble, screen_a, 16383.5};

    plasma_rings_effect plasma{2};

    scroller_effect credits_scroller{credits_line, credits_line_length, 15, 0, 178, 4};
    wobble_effect credits{1.1f, 1.1f, false, credits_scroller};

    counter_drift_effect drift;
    twirl_effect drift_twirl{drift, 1.0f, 0.4f};
    overlay_effect digits_credits{drift_twirl, credits, key_blank};
};

// The invitation over the strongly wobbled plasma. Rows 11 and 12 each build their own,
// so the text enters from the right edge again when row 12 begins; the plasma under
// both is the shared one and runs on.
struct invitation_scene {
    explicit invitation_scene(effect& plasma) : wobble(strong_wobble(plasma)) {}

    wobble_effect wobble;
    scroller_effect scroller{invitation_line, invitation_line_length, 15, 0, 219, 4};
    overlay_effect scene{wobble, scroller, key_blank};
};

// The whole graph: the shared effects first, then what each timeline row builds for
// itself, row by row. Inline effects have one parent, so their clocks start with their
// row and every zoom runs its period from the row's start.
struct show_graph {
    shared_effects shared;

    clear_effect row0;
    zoom_effect row2_fire_zoom = zoom_in(shared.fire);
    overlay_effect row2{shared.no_signal, row2_fire_zoom, key_blank};
    zoom_effect row4_fire_zoom = zoom_out(shared.fire);
    overlay_effect row4{shared.image_flicker, row4_fire_zoom, key_blank};
    zoom_effect row6_plasma_zoom = zoom_in(shared.plasma);
    overlay_effect row6{row6_plasma_zoom, shared.image_flicker, key_space};
    overlay_effect row7{shared.plasma, shared.image_flicker, key_space};
    zoom_effect row8_flicker_zoom = zoom_out(shared.image_flicker, key_space);
    overlay_effect row8{shared.plasma, row8_flicker_zoom, key_space};
    wobble_effect row10 = strong_wobble(shared.plasma);
    invitation_scene row11{shared.plasma};
    invitation_scene row12_scene{shared.plasma};
    zoom_effect row12 = zoom_out(row12_scene.scene, key_space);
    clear_effect row13;
    zoom_effect row15_counter_zoom = zoom_out(shared.counter_twirl);
    overlay_effect row15{shared.digits_credits, row15_counter_zoom, key_blank};
    zoom_effect row17 = zoom_out(shared.digits_credits, key_blank, 2 * zoom_period);
    clear_effect row18;
    end_effect row19;
};

// Built in static storage and never destroyed: the timeline points into the graph until
// the process's very last frame, whichever way the process ends.
show_graph& build_graph() {
    alignas(show_graph) static unsigned char storage[sizeof(show_graph)];
    return *::new (static_cast<void*>(storage)) show_graph;
}

void fill_timeline(show_graph& g) {
    shared_effects& s = g.shared;
    show_timeline = {{
        // Row 0 is current from the first frame on; its start is never compared.
        {-999999, &g.row0},
        {0, &s.no_signal},
        {110000, &g.row2},
        {132000, &s.fire},
        {220000, &g.row4},
        {242000, &s.image_flicker},
        {330000, &g.row6},
        {352000, &g.row7},
        {462000, &g.row8},
        {484000, &s.plasma},
        {594000, &g.row10},
        {616000, &g.row11.scene},
        {1166000, &g.row12},
        {1188000, &g.row13},
        {1232000, &s.counter_twirl},
        {1408000, &g.row15},
        {1430000, &s.digits_credits},
        {1760000, &g.row17},
        {1804000, &g.row18},
        {show_last_tick, &g.row19},
    }};
}

show_graph& composed_graph() {
    static show_graph& graph = []() -> show_graph& {
        show_graph& g = build_graph();
        fill_timeline(g);
        return g;
    }();
    return graph;
}

// The shared effects differ in type, so each entry reaches its own through a function.
template <auto member>
effect& pick(shared_effects& s) {
    return s.*member;
}

struct shared_entry {
    std::string_view name;
    effect& (*get)(shared_effects&);
};

// The shared effects that tools and benchmarks pick by name, in the order they are built:
// the one list the names and the lookup below follow.
constexpr shared_entry shared_list[] = {
    {"no_signal", pick<&shared_effects::no_signal>},
    {"counter_twirl", pick<&shared_effects::counter_twirl>},
    {"fire", pick<&shared_effects::fire>},
    {"image_flicker", pick<&shared_effects::image_flicker>},
    {"plasma", pick<&shared_effects::plasma>},
    {"credits", pick<&shared_effects::credits>},
    {"digits_credits", pick<&shared_effects::digits_credits>},
};

constexpr auto shared_names = [] {
    std::array<std::string_view, std::size(shared_list)> names;
    for (std::size_t at = 0; at < names.size(); ++at) {
        names[at] = shared_list[at].name;
    }
    return names;
}();

}  // namespace

void show_compose() {
    composed_graph();
}

std::span<const std::string_view> show_shared_names() {
    return shared_names;
}

effect* show_shared_effect(std::string_view name) {
    for (const shared_entry& entry : shared_list) {
        if (entry.name == name) {
            return &entry.get(composed_graph().shared);
        }
    }
    return nullptr;
}
