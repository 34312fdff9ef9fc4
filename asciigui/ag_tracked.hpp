#pragma once

#include <cstdint>
#include <memory>

#include "asciigui/ag_box.hpp"
#include "asciigui/ag_cell_queue.hpp"

// A container that remembers, for every cell of its grid, the successive values the
// cell has taken as its children reported changes: one change queue per cell, at the
// grid's index. Resizing discards all history. Reading the queues is left to whoever
// consumes them; the surface only records.
class ag_tracked : public ag_box {
  public:
    ag_tracked() = default;
    ~ag_tracked();
    ag_tracked(const ag_tracked&) = delete;
    ag_tracked& operator=(const ag_tracked&) = delete;

    // Rebuilds the queues (each holding the blank cell), then the grid and layout.
    bool resize(std::int32_t rows, std::int32_t cols) override;
    // Copies the region up like any container, then records every cell of it whose value
    // differs from the last one its queue holds.
    bool child_changed(ag_widget* child, std::int32_t row, std::int32_t col, std::int32_t rows,
                       std::int32_t cols) override;
    // Puts the surface on its output; a surface without one has nothing to do.
    virtual bool present();

    std::int32_t queue_count();
    // The queue of the cell at the grid index, or none outside the array.
    const ag_cell_queue* cell_queue(std::int32_t index);

  private:
    // Destroyed as a whole, last element first; the count is kept beside it.
    std::unique_ptr<ag_cell_queue[]> queues_;
    std::int32_t queue_count_ = 0;
};
