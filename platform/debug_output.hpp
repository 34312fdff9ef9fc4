#pragma once

// The debugger output channel: text for whoever watches the process's diagnostics.
// Here that is standard error; while the show holds the terminal, the text waits until
// the terminal has been given back so that it does not scribble over the picture.
void debug_output(const char* text);
