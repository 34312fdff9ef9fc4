#pragma once

#include <string>

// Data files must be regular files: reading a FIFO or a device can wait for ever, and a
// folder or a socket holds nothing to read. Says what the file is instead ("is a
// folder, not a regular file"), or nothing when it is a regular file or cannot be looked
// at (opening it will say why).
std::string not_a_regular_file(const char* path);
