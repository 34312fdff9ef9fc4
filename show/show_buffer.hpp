#pragma once

#include "show/screen_buffer.hpp"

// The one picture of the show: the timeline renders each frame into it and the console
// window presents it. All zero at start, a blank black screen.
extern screen_buffer show_buffer;
