#include "show/show_composition.hpp"

#include "effects/layer_effects.hpp"
#include "show/timeline.hpp"

namespace {

// The scene starts of the show. Until its effects exist, every scene is a cleared screen,
// so the program runs on music time and ends at the last row as the full show will.
constexpr std::int32_t row_starts[timeline_rows] = {
    -999999, 0,      110000,  132000,  220000,  242000,  330000,  352000,  462000,  484000,
    594000,  616000, 1166000, 1188000, 1232000, 1408000, 1430000, 1760000, 1804000, 1826000};

}  // namespace

void show_compose() {
    static clear_effect clear_rows[timeline_rows - 1];
    static end_effect last_row;
    for (int row = 0; row < timeline_rows - 1; ++row) {
        show_timeline[row] = {row_starts[row], &clear_rows[row]};
    }
    show_timeline[timeline_rows - 1] = {row_starts[timeline_rows - 1], &last_row};
}
