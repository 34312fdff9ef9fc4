#pragma once

// The frame loop's shape, which is the system's: a terminal or a Windows console runs
// the passes back to back on the calling thread, while a browser runs one pass per
// animation frame and never lets a pass wait, so the page stays alive between them.
//
// Runs `pass` until it returns false, then `finish`, whose result is the loop's. In a
// browser the call returns to the page's event loop at once and never comes back here;
// the result then ends the program as its exit code.
int run_frame_loop(bool (*pass)(), int (*finish)());
