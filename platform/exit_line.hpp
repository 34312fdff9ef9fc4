#pragma once

#include <string>
#include <string_view>

// A held line as the user reads it: the name of the program it speaks for (see
// report_as), the line, a line end. Each system's report_at_exit holds this text.
std::string exit_line(std::string_view line);
