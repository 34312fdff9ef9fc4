#pragma once

// What the show changes about the console it is given, and the way back. Every way out of
// the process (orderly shutdown, exit_process) gives the console back, so that a console
// the show shares with a shell is left with its own code page and a visible cursor.
void console_take_over();
void console_give_back();
bool console_session_active();
