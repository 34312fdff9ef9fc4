#pragma once

#include <cstdint>
#include <memory>

#include "asciigui/ag_cell.hpp"
#include "asciigui/ag_child_slot.hpp"
#include "asciigui/ag_event_handler.hpp"
#include "platform/critical_section.hpp"

class ag_box;

// A node in a tree of rectangular cell surfaces: a grid of cells, a process-wide unique
// id, a link to the container holding it, focus flags, an optional event handler and the
// fixed size it asks its container for.
//
// All widgets of one tree share the lock of the tree's root. Every operation takes it
// through the widget it works on (lock() climbs to the root) and releases it on the way
// out, so calls up into the parent and down into children are serialised with the rest.
// lock_count tells unlock() where the lock is held; it is non-zero only on a root.
//
// Destructors are deliberately not virtual: each object is destroyed as its own class.
// The virtual operations keep one order through the whole family (find_slot, resize,
// is_focused, take_focus, dispatch, then the container's child_changed and the tracked
// surface's present), each class only adding at the end.
class ag_widget {
  public:
    ag_widget();
    ~ag_widget();
    ag_widget(const ag_widget&) = delete;
    ag_widget& operator=(const ag_widget&) = delete;

    // The slot that holds `child` in this widget; a plain widget holds no children.
    virtual ag_child_slot* find_slot(const ag_widget* child);
    // Gives the widget a fresh zeroed grid of rows x cols; the old content is dropped.
    // False for a negative size or a grid that cannot be had; then nothing changes.
    virtual bool resize(std::int32_t rows, std::int32_t cols);
    // Focus counts only on a widget that may take it.
    virtual bool is_focused();
    // Makes this the only focused widget of its tree; false when it is not focusable.
    virtual bool take_focus();
    // Offers the event to the handler, then to the focused children in order, until one
    // consumes it.
    virtual bool dispatch(ag_event event);

    void lock();
    void unlock();
    // Clears the focus flag of every widget in this widget's tree.
    void clear_focus();

    bool set_focusable(bool focusable);
    bool set_event_handler(ag_event_handler* handler);
    // Asks the container for a fixed size (and relays the container so that it takes
    // effect). Meant for leaves: a container works out its own fixed size from its
    // children whenever their fixed state changes. Negative sizes are refused.
    bool set_fixed_size(std::int32_t rows, std::int32_t cols);
    bool clear_fixed_size();

    // Writes one cell of the grid; false outside it. The container learns of the change
    // only through report_changed, so that a region can be drawn first and sent up once.
    bool set_cell(std::int32_t row, std::int32_t col, const ag_cell& cell);
    // Tells the container that a region of this widget's grid has changed, in this
    // widget's coordinates; false when there is no container.
    bool report_changed(std::int32_t row, std::int32_t col, std::int32_t rows, std::int32_t cols);

    std::uint64_t id() const { return id_; }
    ag_box* parent();
    std::int32_t rows();
    std::int32_t cols();
    bool has_grid();
    // The cell at (row, col), or the blank cell outside the grid.
    ag_cell cell(std::int32_t row, std::int32_t col);
    bool fixed();
    std::int32_t fixed_rows();
    std::int32_t fixed_cols();
    // The raw focus flag, whatever focusable says.
    bool focused();
    bool focusable();
    ag_child_slot* first_slot();
    ag_child_slot* last_slot();
    // Read without the lock: taking the lock to read it would change it.
    std::int32_t lock_count() const { return lock_count_; }

  protected:
    // The constructor sets every field, under the lock like any other change.

    // A widget that stands in for another (a proxy) may carry the other's id: containers
    // recognise their children by id, not by address.
    std::uint64_t id_;
    critical_section tree_lock_;
    std::int32_t lock_count_;
    ag_child_slot* children_head_;
    ag_child_slot* children_tail_;
    ag_box* parent_;
    std::int32_t rows_;
    std::int32_t cols_;
    std::unique_ptr<ag_cell[]> grid_;
    bool fixed_;
    std::int32_t fixed_rows_;
    std::int32_t fixed_cols_;
    bool focused_;
    bool focusable_;
    ag_event_handler* event_handler_;

  private:
    // The container links and unlinks children and reads their layout requests.
    friend class ag_box;

    void clear_subtree_focus();
    void relayout_parent();
};

// Holds the tree lock through one widget for the length of a scope.
class ag_tree_lock {
  public:
    explicit ag_tree_lock(ag_widget& widget) : widget_(widget) { widget_.lock(); }
    ~ag_tree_lock() { widget_.unlock(); }
    ag_tree_lock(const ag_tree_lock&) = delete;
    ag_tree_lock& operator=(const ag_tree_lock&) = delete;

  private:
    ag_widget& widget_;
};
