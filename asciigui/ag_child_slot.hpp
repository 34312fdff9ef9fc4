#pragma once

#include <cstdint>

class ag_widget;

// A container's record of one child: where the child sits inside the container and how
// much of the container it was given. The slots of a container form a doubly linked
// list whose order is the order of layout, focus search and event dispatch.
struct ag_child_slot {
    ag_widget* child = nullptr;
    std::int32_t row_offset = 0;
    std::int32_t col_offset = 0;
    std::int32_t rows = 0;
    std::int32_t cols = 0;
    // The child's share of the space that fixed-size siblings leave free.
    std::int32_t weight = 0;
    ag_child_slot* prev = nullptr;
    ag_child_slot* next = nullptr;
};
