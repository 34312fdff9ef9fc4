#include "show/show_buffer.hpp"

screen_buffer show_buffer{};
