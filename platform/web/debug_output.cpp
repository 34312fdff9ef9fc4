#include "platform/debug_output.hpp"

#include <cstdio>

// The browser's console is the page's debugger output; standard error goes there.
void debug_output(const char* text) {
    std::fputs(text, stderr);
}
