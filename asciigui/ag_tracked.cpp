#include "asciigui/ag_tracked.hpp"

#include <new>
#include <utility>

ag_tracked::~ag_tracked() {
    ag_tree_lock guard(*this);
    queues_.reset();
    queue_count_ = 0;
}

bool ag_tracked::resize(std::int32_t rows, std::int32_t cols) {
    ag_tree_lock guard(*this);
    const std::int64_t count = ag_grid_cells(rows, cols);
    if (count < 0) {
        return false;
    }
    // The new queues are built before the old ones go, so that an array that cannot be
    // had leaves the surface as it was.
    std::unique_ptr<ag_cell_queue[]> queues(new (std::nothrow)
                                                ag_cell_queue[static_cast<std::size_t>(count)]);
    if (!queues) {
        return false;
    }
    queues_ = std::move(queues);
    queue_count_ = static_cast<std::int32_t>(count);
    ag_box::resize(rows, cols);
    return true;
}

bool ag_tracked::child_changed(ag_widget* child, std::int32_t row, std::int32_t col,
                               std::int32_t rows, std::int32_t cols) {
    ag_tree_lock guard(*this);
    ag_box::child_changed(child, row, col, rows, cols);
    const ag_child_slot* slot = find_slot(child);
    if (slot == nullptr) {
        return false;
    }
    const ag_region region = clip_to_slot(*slot, {row, col, rows, cols});
    if (region.rows <= 0 || region.cols <= 0) {
        return true;
    }
    for (std::int32_t i = region.row; i < region.row + region.rows; ++i) {
        for (std::int32_t j = region.col; j < region.col + region.cols; ++j) {
            const std::int32_t index = (slot->row_offset + i) * cols_ + slot->col_offset + j;
            if (index >= queue_count_) {
                continue;
            }
            const ag_cell& value = grid_[index];
            ag_cell_queue& queue = queues_[index];
            if (queue.pending() > 0) {
                if (value != queue.newest()->cell) {
                    queue.push()->cell = value;
                }
            } else if (value != queue.oldest()->cell) {
                queue.push()->cell = value;
                queue.clear_mark();
            }
        }
    }
    return true;
}

bool ag_tracked::present() {
    return true;
}

std::int32_t ag_tracked::queue_count() {
    ag_tree_lock guard(*this);
    return queue_count_;
}

const ag_cell_queue* ag_tracked::cell_queue(std::int32_t index) {
    ag_tree_lock guard(*this);
    if (index < 0 || index >= queue_count_) {
        return nullptr;
    }
    return &queues_[index];
}
