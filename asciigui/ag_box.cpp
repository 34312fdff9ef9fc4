#include "asciigui/ag_box.hpp"

#include <algorithm>
#include <limits>

#include "asciigui/ag_check.hpp"

ag_box::ag_box() {
    ag_tree_lock guard(*this);
    orientation_ = no_layout;
    children_head_ = nullptr;
    children_tail_ = nullptr;
}

ag_box::~ag_box() {
    ag_tree_lock guard(*this);
    while (children_head_ != nullptr) {
        remove_child(children_head_->child);
    }
}

ag_child_slot* ag_box::find_slot(const ag_widget* child) {
    ag_tree_lock guard(*this);
    if (child == nullptr) {
        return nullptr;
    }
    for (ag_child_slot* slot = children_head_; slot != nullptr; slot = slot->next) {
        if (slot->child->id_ == child->id_) {
            return slot;
        }
    }
    return nullptr;
}

bool ag_box::resize(std::int32_t rows, std::int32_t cols) {
    ag_tree_lock guard(*this);
    ag_widget::resize(rows, cols);
    layout();
    return true;
}

bool ag_box::take_focus() {
    ag_tree_lock guard(*this);
    if (!focusable_) {
        return false;
    }
    bool taken = false;
    for (ag_child_slot* slot = children_head_; slot != nullptr && !taken; slot = slot->next) {
        if (slot->child->focusable_) {
            taken = slot->child->take_focus();
        }
    }
    return taken;
}

bool ag_box::add_child(ag_widget* child, std::int32_t weight) {
    ag_tree_lock guard(*this);
    if (child == nullptr || child->parent_ != nullptr || child->lock_count_ > 0 ||
        find_slot(child) != nullptr) {
        return false;
    }
    for (ag_widget* ancestor = this; ancestor != nullptr; ancestor = ancestor->parent_) {
        if (ancestor == child) {
            return false;
        }
    }
    // Until the first layout places it, the child keeps the size it has, at the top left.
    auto* slot = new ag_child_slot{};
    slot->child = child;
    slot->rows = child->rows_;
    slot->cols = child->cols_;
    slot->weight = weight;
    slot->prev = children_tail_;
    if (children_tail_ != nullptr) {
        children_tail_->next = slot;
    } else {
        children_head_ = slot;
    }
    children_tail_ = slot;
    child->parent_ = this;
    layout();
    return true;
}

bool ag_box::remove_child(ag_widget* child) {
    ag_tree_lock guard(*this);
    ag_child_slot* slot = find_slot(child);
    if (slot == nullptr) {
        return false;
    }
    (slot->prev != nullptr ? slot->prev->next : children_head_) = slot->next;
    (slot->next != nullptr ? slot->next->prev : children_tail_) = slot->prev;
    slot->child->parent_ = nullptr;
    delete slot;
    layout();
    return true;
}

bool ag_box::set_orientation(std::int32_t orientation) {
    ag_tree_lock guard(*this);
    if (orientation != no_layout && orientation != vertical && orientation != horizontal) {
        return false;
    }
    orientation_ = orientation;
    layout();
    return true;
}

bool ag_box::set_weight(const ag_widget* child, std::int32_t weight) {
    ag_tree_lock guard(*this);
    ag_child_slot* slot = find_slot(child);
    if (slot == nullptr) {
        return false;
    }
    slot->weight = weight;
    layout();
    return true;
}

std::int32_t ag_box::orientation() {
    ag_tree_lock guard(*this);
    return orientation_;
}

bool ag_box::layout() {
    ag_tree_lock guard(*this);
    bool all_fixed = children_head_ != nullptr;
    for (ag_child_slot* slot = children_head_; slot != nullptr; slot = slot->next) {
        all_fixed = all_fixed && slot->child->fixed_;
    }
    if (all_fixed != fixed_) {
        // The fixed state changed: ask the container first. Its layout resizes this box,
        // and that resize places the slots with the fixed state settled.
        fixed_ = all_fixed;
        fixed_rows_ = 0;
        fixed_cols_ = 0;
        if (all_fixed && (orientation_ == vertical || orientation_ == horizontal)) {
            std::int64_t sum = 0;
            for (ag_child_slot* slot = children_head_; slot != nullptr; slot = slot->next) {
                sum +=
                    orientation_ == vertical ? slot->child->fixed_rows_ : slot->child->fixed_cols_;
            }
            (orientation_ == vertical ? fixed_rows_ : fixed_cols_) = static_cast<std::int32_t>(sum);
        }
        relayout_parent();
        return true;
    }
    // A box that has never been sized has no space to share out yet; its slots stay as
    // they are until the first resize, instead of coming out negative.
    if (rows_ >= 0 && (orientation_ == vertical || orientation_ == horizontal)) {
        share_out(orientation_ == vertical);
    }
    for (ag_child_slot* slot = children_head_; slot != nullptr; slot = slot->next) {
        slot->child->resize(slot->rows, slot->cols);
    }
    return true;
}

void ag_box::share_out(bool along_rows) {
    const std::int32_t length = along_rows ? rows_ : cols_;
    const std::int32_t across = along_rows ? cols_ : rows_;
    // Kept wide so that extreme weights cannot overflow; for sane ones the shares are
    // exactly the 32-bit ones.
    std::int64_t weight_sum = 0;
    for (ag_child_slot* slot = children_head_; slot != nullptr; slot = slot->next) {
        if (!slot->child->fixed_) {
            weight_sum += slot->weight;
        }
    }
    std::int32_t remaining = length;
    for (ag_child_slot* slot = children_head_; slot != nullptr; slot = slot->next) {
        if (!slot->child->fixed_) {
            continue;
        }
        const std::int32_t wanted =
            along_rows ? slot->child->fixed_rows_ : slot->child->fixed_cols_;
        std::int32_t& extent = along_rows ? slot->rows : slot->cols;
        if (wanted > remaining) {
            extent = remaining;
            remaining = 0;
        } else {
            extent = wanted;
            remaining -= wanted;
        }
    }
    std::int32_t cursor = length;
    for (ag_child_slot* slot = children_head_; slot != nullptr; slot = slot->next) {
        std::int32_t& extent = along_rows ? slot->rows : slot->cols;
        (along_rows ? slot->col_offset : slot->row_offset) = 0;
        (along_rows ? slot->cols : slot->rows) = across;
        if (!slot->child->fixed_) {
            // Flexible children left with no positive weight to share by get nothing.
            const std::int32_t share =
                weight_sum > 0
                    ? static_cast<std::int32_t>(slot->weight * std::int64_t{remaining} / weight_sum)
                    : 0;
            extent = share;
            weight_sum -= slot->weight;
            remaining -= share;
        }
        (along_rows ? slot->row_offset : slot->col_offset) = length - cursor;
        cursor -= extent;
        if (extent < 0) {
            ag_check_failed(along_rows ? ag_check::vertical_negative_rows
                                       : ag_check::horizontal_negative_cols);
        }
    }
}

ag_region ag_box::clip_to_slot(const ag_child_slot& slot, ag_region region) {
    const ag_widget& child = *slot.child;
    const std::int64_t child_rows = child.grid_ ? child.rows_ : 0;
    const std::int64_t child_cols = child.grid_ ? child.cols_ : 0;
    const std::int64_t own_rows = grid_ ? rows_ : 0;
    const std::int64_t own_cols = grid_ ? cols_ : 0;
    // Valid child coordinates on one axis: inside the slot, the child's grid and, moved
    // by the slot's offset, this grid. A region starting before them starts at their
    // first cell; one reaching past them is cut at their end.
    const auto clip = [](std::int32_t& start, std::int32_t& extent, std::int64_t first,
                         std::int64_t end) {
        const std::int64_t from = std::max<std::int64_t>(start, first);
        const std::int64_t to = std::min<std::int64_t>(std::int64_t{start} + extent, end);
        start = static_cast<std::int32_t>(from);
        extent = static_cast<std::int32_t>(
            std::max<std::int64_t>(to - from, std::numeric_limits<std::int32_t>::min()));
    };
    clip(region.row, region.rows, std::max<std::int64_t>(0, -std::int64_t{slot.row_offset}),
         std::min({std::int64_t{slot.rows}, child_rows, own_rows - slot.row_offset}));
    clip(region.col, region.cols, std::max<std::int64_t>(0, -std::int64_t{slot.col_offset}),
         std::min({std::int64_t{slot.cols}, child_cols, own_cols - slot.col_offset}));
    return region;
}

bool ag_box::child_changed(ag_widget* child, std::int32_t row, std::int32_t col, std::int32_t rows,
                           std::int32_t cols) {
    ag_tree_lock guard(*this);
    const ag_child_slot* slot = find_slot(child);
    if (slot == nullptr) {
        return false;
    }
    const ag_region region = clip_to_slot(*slot, {row, col, rows, cols});
    const ag_widget& source = *slot->child;
    if (region.rows >= 1 && region.cols >= 1) {
        for (std::int32_t i = region.row; i < region.row + region.rows; ++i) {
            for (std::int32_t j = region.col; j < region.col + region.cols; ++j) {
                grid_[(slot->row_offset + i) * cols_ + slot->col_offset + j] =
                    source.grid_[i * source.cols_ + j];
            }
        }
    }
    // The region goes up even when nothing was copied, so every level hears of it.
    if (parent_ != nullptr) {
        parent_->child_changed(this, slot->row_offset + region.row, slot->col_offset + region.col,
                               region.rows, region.cols);
    }
    return true;
}
