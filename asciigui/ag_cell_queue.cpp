#include "asciigui/ag_cell_queue.hpp"

ag_cell_queue::ag_cell_queue() {
    lock_.enter();
    oldest_ = new ag_cell_change{};
    newest_ = oldest_;
    pending_ = 0;
    mark_ = 0;
    lock_.leave();
}

ag_cell_queue::~ag_cell_queue() {
    lock_.enter();
    while (pending_ > 0) {
        pop();
    }
    delete oldest_;
    oldest_ = nullptr;
    newest_ = nullptr;
    lock_.leave();
}

ag_cell_change* ag_cell_queue::push() {
    lock_.enter();
    ++pending_;
    auto* entry = new ag_cell_change{};
    entry->prev = newest_;
    newest_->next = entry;
    newest_ = entry;
    lock_.leave();
    return entry;
}

bool ag_cell_queue::pop() {
    lock_.enter();
    const bool popped = pending_ > 0;
    if (popped) {
        --pending_;
        ag_cell_change* entry = oldest_;
        oldest_ = entry->next;
        oldest_->prev = nullptr;
        delete entry;
    }
    lock_.leave();
    return popped;
}
