#pragma once

#include <cstdint>

#include "asciigui/ag_widget.hpp"

// A rectangle of cells, in the coordinates of the widget it belongs to.
struct ag_region {
    std::int32_t row = 0;
    std::int32_t col = 0;
    std::int32_t rows = 0;
    std::int32_t cols = 0;
};

// A widget that lays its children out, stacked from top to bottom or side by side from
// left to right. Children that ask for a fixed size get it first, in list order, as far
// as space lasts; the rest is shared among the others by weight, the last flexible child
// taking what integer shares leave over. A container whose children all ask for a fixed
// size asks its own container for one in turn. Cells that a child reports as changed are
// copied into the container's grid at the child's place and reported further up.
class ag_box : public ag_widget {
  public:
    static constexpr std::int32_t no_layout = -1;
    static constexpr std::int32_t vertical = 0;
    static constexpr std::int32_t horizontal = 1;

    ag_box();
    ~ag_box();
    ag_box(const ag_box&) = delete;
    ag_box& operator=(const ag_box&) = delete;

    // Children are recognised by id, so a stand-in carrying a child's id finds its slot.
    ag_child_slot* find_slot(const ag_widget* child) override;
    // Always true: a negative size keeps the old grid, but the layout runs all the same.
    bool resize(std::int32_t rows, std::int32_t cols) override;
    // Passes the focus to the first focusable child that takes it; the container itself
    // is never the focused one.
    bool take_focus() override;
    // Copies a changed region of a child's grid (child coordinates) into this grid and
    // passes it up in this container's coordinates; false for a widget that is not a
    // child.
    virtual bool child_changed(ag_widget* child, std::int32_t row, std::int32_t col,
                               std::int32_t rows, std::int32_t cols);

    bool layout();
    // Appends a child with the given weight and lays out. Refused (false) for no widget,
    // this container or one of its ancestors, a widget that already has a container or
    // whose own lock is held, and a widget whose id is already among the children.
    bool add_child(ag_widget* child, std::int32_t weight);
    // Unlinks the child (which is not destroyed and becomes a root) and lays out.
    bool remove_child(ag_widget* child);
    // Takes -1, 0 or 1 and lays out; other values are refused.
    bool set_orientation(std::int32_t orientation);
    bool set_weight(const ag_widget* child, std::int32_t weight);
    std::int32_t orientation();

  protected:
    // The part of a reported region that lies in the slot and in both grids, so that
    // copying it can never reach outside either; for a child sized to its slot inside
    // this grid, a region that starts inside the slot is cut at the slot's far edges only.
    ag_region clip_to_slot(const ag_child_slot& slot, ag_region region);

  private:
    void share_out(bool along_rows);

    std::int32_t orientation_;
};
