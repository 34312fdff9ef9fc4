#pragma once

#include <cstdint>

#include "asciigui/ag_cell.hpp"
#include "platform/critical_section.hpp"

// One value in the history of a cell.
struct ag_cell_change {
    ag_cell_change* next = nullptr;  // the next newer entry
    ag_cell_change* prev = nullptr;  // the next older entry
    ag_cell cell;
};

// The successive values of one grid cell, oldest first. The list always holds
// pending() + 1 entries: the first is the value the cell had when recording began (or
// when the queue was last drained), the others the changes not yet taken off.
//
// The queue's own lock guards its links and counters while they change; reading the
// ends and filling in the newest entry are left to the caller, who holds the tree lock
// of the surface the queue belongs to (always taken before this one).
class ag_cell_queue {
  public:
    // Starts with one entry holding the blank cell.
    ag_cell_queue();
    ~ag_cell_queue();
    ag_cell_queue(const ag_cell_queue&) = delete;
    ag_cell_queue& operator=(const ag_cell_queue&) = delete;

    // Appends a blank entry and returns it, for the caller to store the new value in.
    ag_cell_change* push();
    // Takes the oldest entry off while changes are pending; false when there are none.
    bool pop();

    ag_cell_change* oldest() const { return oldest_; }
    ag_cell_change* newest() const { return newest_; }
    std::int32_t pending() const { return pending_; }
    // For the reading side; the surface only ever clears it.
    std::int32_t mark() const { return mark_; }
    void clear_mark() { mark_ = 0; }

  private:
    critical_section lock_;
    ag_cell_change* oldest_;
    ag_cell_change* newest_;
    std::int32_t mark_;
    std::int32_t pending_;
};
