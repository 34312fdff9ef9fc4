#pragma once

#include <windows.h>

// The thread that runs the show: static initialisation happens on it, so its id is taken
// there. Console control events arrive on other threads and post to this one.
DWORD main_thread_id();

// Makes sure the main thread has a message queue, so that a quit message posted to it
// before the frame loop first looks is kept rather than lost. Call on the main thread.
void ensure_message_queue();
