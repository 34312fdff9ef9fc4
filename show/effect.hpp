#pragma once

#include <cstdint>

#include "show/screen_buffer.hpp"

// The base of every scene element. An effect draws one frame into `target` when its
// caller renders it through render_child; its local clock starts at its first render
// and runs on for the whole show, whichever parent or timeline row renders it next.
//
// Effects are built once by the show composition and never destroyed through a base
// pointer, so the destructor is protected and not virtual.
class effect {
  public:
    virtual void render(std::int32_t ticks) = 0;

    bool first_frame = true;
    std::int32_t start_ticks = 0;
    std::int32_t now_ticks = 0;
    screen_buffer* target = nullptr;

  protected:
    effect() = default;
    effect(const effect&) = default;
    effect& operator=(const effect&) = default;
    ~effect() = default;
};

// The one way anything renders an effect: starts its clock on the first call, passes
// the caller's tick value and buffer on, and hands render the effect's local time.
void render_child(effect& child, std::int32_t ticks, screen_buffer& buffer);
