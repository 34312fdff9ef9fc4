#pragma once

#include "base/result.hpp"

// Data files must be regular files: reading a FIFO or a device can wait for ever, and a
// folder or a socket holds nothing to read. Fails saying what the file is instead ("is a
// folder, not a regular file"); succeeds when it is a regular file or cannot be looked
// at (opening it will say why).
result<> check_regular_file(const char* path);
