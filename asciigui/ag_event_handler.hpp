#pragma once

#include <cstdint>

// An event is one opaque value, a number or a pointer, that the library hands on
// unchanged; it is pointer-sized so that a pointer fits.
using ag_event = std::uintptr_t;

// Gets the first chance at every event dispatched to the widget it is attached to.
// The widget does not own it, so it is never deleted through this type.
class ag_event_handler {
  public:
    // True when the event has been consumed and must go no further.
    virtual bool handle(ag_event event) = 0;

  protected:
    ag_event_handler() = default;
    ag_event_handler(const ag_event_handler&) = default;
    ag_event_handler& operator=(const ag_event_handler&) = default;
    ~ag_event_handler() = default;
};
