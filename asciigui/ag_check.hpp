#pragma once

// The library's consistency checks. Each is known in the debug log by a fixed number,
// kept stable so that reports from different builds can be compared.
enum class ag_check : int {
    lock_held_by_child = 136,
    lock_held_by_child_after_parent = 138,
    root_gained_parent = 141,
    holder_has_parent = 149,
    unlock_without_lock = 152,
    vertical_negative_rows = 381,
    horizontal_negative_cols = 409,
};

// Reports a broken invariant to the debug log and stops at a breakpoint: under a debugger
// the operation can be resumed and goes on as if the check had passed; without one the
// process dies of the trap, which is the point: a broken tree must not draw on.
void ag_check_failed(ag_check which);
