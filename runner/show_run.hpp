#pragma once

#include "asciigui/ag_console.hpp"

// The process: bring-up, the frame loop and the orderly shutdown. show_run returns 0
// after an orderly shutdown; Escape (42) and the show's last scene (23) end the process
// from inside the loop.
extern ag_console* console_window;

void create_console_window();

// The frame loop in its three parts, so that a system whose frames come from outside
// (a browser's animation frames) can run the passes itself. show_bring_up opens the
// console and starts the music (false without a terminal); show_pass reads the input,
// renders the frame at the tick read after the previous one, presents it and reads the
// clock again (false when the loop must end in order); show_shutdown closes both and
// returns 0.
bool show_bring_up();
bool show_pass();
int show_shutdown();

int show_run();
int show_start();
int show_entry();
