#include "asciigui/ag_widget.hpp"

#include <new>
#include <utility>

#include "asciigui/ag_box.hpp"
#include "asciigui/ag_check.hpp"

namespace {

// Widgets are built by one thread at a time, so the counter needs no lock. The first
// widget of the process gets id 1.
std::uint64_t widget_id_counter = 0;

}  // namespace

ag_widget::ag_widget() : id_(++widget_id_counter), lock_count_(0), parent_(nullptr) {
    ag_tree_lock guard(*this);
    rows_ = -1;
    cols_ = -1;
    grid_.reset();
    focused_ = false;
    fixed_ = false;
    fixed_rows_ = 0;
    fixed_cols_ = 0;
    children_head_ = nullptr;
    children_tail_ = nullptr;
    focusable_ = false;
    event_handler_ = nullptr;
}

ag_widget::~ag_widget() {
    lock();
    // Leaving the container below cuts this widget off from the root it has just
    // locked, so the release has to go to that root directly.
    ag_widget* holder = this;
    while (holder->parent_ != nullptr) {
        holder = holder->parent_;
    }
    grid_.reset();
    if (parent_ != nullptr) {
        parent_->remove_child(this);
        parent_ = nullptr;
    }
    holder->unlock();
}

void ag_widget::lock() {
    if (parent_ != nullptr) {
        if (lock_count_ > 0) {
            ag_check_failed(ag_check::lock_held_by_child);
        }
        parent_->lock();
        if (lock_count_ > 0) {
            ag_check_failed(ag_check::lock_held_by_child_after_parent);
        }
        return;
    }
    tree_lock_.enter();
    if (parent_ != nullptr) {
        ag_check_failed(ag_check::root_gained_parent);
    }
    ++lock_count_;
}

void ag_widget::unlock() {
    ag_widget* holder = this;
    while (holder->lock_count_ <= 0) {
        if (holder->parent_ == nullptr) {
            // Nothing up to the root holds the lock, so there is nothing to release; when
            // resumed after the trap, leaving the counts alone keeps the tree usable.
            ag_check_failed(ag_check::unlock_without_lock);
            return;
        }
        holder = holder->parent_;
    }
    --holder->lock_count_;
    if (holder->parent_ != nullptr) {
        ag_check_failed(ag_check::holder_has_parent);
    }
    holder->tree_lock_.leave();
}

ag_child_slot* ag_widget::find_slot(const ag_widget*) {
    return nullptr;
}

bool ag_widget::resize(std::int32_t rows, std::int32_t cols) {
    ag_tree_lock guard(*this);
    const std::int64_t count = ag_grid_cells(rows, cols);
    if (count < 0) {
        return false;
    }
    std::unique_ptr<ag_cell[]> grid;
    if (count > 0) {
        // The new grid is obtained before the old one goes, so that a grid that cannot
        // be had leaves the widget as it was.
        grid.reset(new (std::nothrow) ag_cell[static_cast<std::size_t>(count)]());
        if (!grid) {
            return false;
        }
    }
    rows_ = rows;
    cols_ = cols;
    grid_ = std::move(grid);
    return true;
}

bool ag_widget::is_focused() {
    ag_tree_lock guard(*this);
    return focusable_ && focused_;
}

bool ag_widget::take_focus() {
    ag_tree_lock guard(*this);
    if (!focusable_) {
        return false;
    }
    if (parent_ != nullptr) {
        ag_tree_lock parent_guard(*parent_);
        parent_->clear_focus();
    }
    focused_ = true;
    return true;
}

void ag_widget::clear_focus() {
    ag_tree_lock guard(*this);
    if (parent_ != nullptr) {
        parent_->clear_focus();
    } else {
        clear_subtree_focus();
    }
}

void ag_widget::clear_subtree_focus() {
    ag_tree_lock guard(*this);
    for (ag_child_slot* slot = children_head_; slot != nullptr; slot = slot->next) {
        slot->child->clear_subtree_focus();
    }
    focused_ = false;
}

bool ag_widget::dispatch(ag_event event) {
    ag_tree_lock guard(*this);
    if (event_handler_ != nullptr && event_handler_->handle(event)) {
        return true;
    }
    bool consumed = false;
    for (ag_child_slot* slot = children_head_; slot != nullptr && !consumed; slot = slot->next) {
        if (slot->child->is_focused()) {
            consumed = slot->child->dispatch(event);
        }
    }
    return consumed;
}

bool ag_widget::set_focusable(bool focusable) {
    ag_tree_lock guard(*this);
    focusable_ = focusable;
    return true;
}

bool ag_widget::set_event_handler(ag_event_handler* handler) {
    ag_tree_lock guard(*this);
    event_handler_ = handler;
    return true;
}

bool ag_widget::set_fixed_size(std::int32_t rows, std::int32_t cols) {
    ag_tree_lock guard(*this);
    if (rows < 0 || cols < 0) {
        return false;
    }
    fixed_ = true;
    fixed_rows_ = rows;
    fixed_cols_ = cols;
    relayout_parent();
    return true;
}

bool ag_widget::clear_fixed_size() {
    ag_tree_lock guard(*this);
    fixed_ = false;
    fixed_rows_ = 0;
    fixed_cols_ = 0;
    relayout_parent();
    return true;
}

void ag_widget::relayout_parent() {
    if (parent_ != nullptr) {
        parent_->layout();
    }
}

bool ag_widget::set_cell(std::int32_t row, std::int32_t col, const ag_cell& cell) {
    ag_tree_lock guard(*this);
    if (!grid_ || row < 0 || col < 0 || row >= rows_ || col >= cols_) {
        return false;
    }
    grid_[row * cols_ + col] = cell;
    return true;
}

bool ag_widget::report_changed(std::int32_t row, std::int32_t col, std::int32_t rows,
                               std::int32_t cols) {
    ag_tree_lock guard(*this);
    if (parent_ == nullptr) {
        return false;
    }
    return parent_->child_changed(this, row, col, rows, cols);
}

ag_box* ag_widget::parent() {
    ag_tree_lock guard(*this);
    return parent_;
}

std::int32_t ag_widget::rows() {
    ag_tree_lock guard(*this);
    return rows_;
}

std::int32_t ag_widget::cols() {
    ag_tree_lock guard(*this);
    return cols_;
}

bool ag_widget::has_grid() {
    ag_tree_lock guard(*this);
    return grid_ != nullptr;
}

ag_cell ag_widget::cell(std::int32_t row, std::int32_t col) {
    ag_tree_lock guard(*this);
    if (!grid_ || row < 0 || col < 0 || row >= rows_ || col >= cols_) {
        return ag_cell{};
    }
    return grid_[row * cols_ + col];
}

bool ag_widget::fixed() {
    ag_tree_lock guard(*this);
    return fixed_;
}

std::int32_t ag_widget::fixed_rows() {
    ag_tree_lock guard(*this);
    return fixed_rows_;
}

std::int32_t ag_widget::fixed_cols() {
    ag_tree_lock guard(*this);
    return fixed_cols_;
}

bool ag_widget::focused() {
    ag_tree_lock guard(*this);
    return focused_;
}

bool ag_widget::focusable() {
    ag_tree_lock guard(*this);
    return focusable_;
}

ag_child_slot* ag_widget::first_slot() {
    ag_tree_lock guard(*this);
    return children_head_;
}

ag_child_slot* ag_widget::last_slot() {
    ag_tree_lock guard(*this);
    return children_tail_;
}
