#include "platform/debug_output.hpp"

#include <windows.h>

void debug_output(const char* text) {
    OutputDebugStringA(text);
}
