#pragma once

#include <string_view>

// Appends text, as it is, to what is written to standard error when the process ends.
void hold_for_exit(std::string_view text);
