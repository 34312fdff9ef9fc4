#pragma once

#include "asciigui/ag_console.hpp"

// The process: bring-up, the frame loop and the orderly shutdown. show_run returns 0
// after an orderly shutdown; Escape (42) and the show's last scene (23) end the process
// from inside the loop.
extern ag_console* console_window;

void create_console_window();
int show_run();
int show_start();
int show_entry();
