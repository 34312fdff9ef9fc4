#include "sound/quiet_audio_stack.hpp"

#include <SDL.h>
#include <dlfcn.h>

namespace {

// ALSA's handler type is variadic; the handler ignores everything it is given.
void ignore_alsa_message(const char*, int, const char*, int, const char*, ...) {}
void ignore_jack_message(const char*) {}
void ignore_sdl_message(void*, int, SDL_LogPriority, const char*) {}

using alsa_handler = void (*)(const char*, int, const char*, int, const char*, ...);
using jack_handler = void (*)(const char*);

// The libraries stay loaded for the life of the process: SDL loads the same instances
// later, and they must keep the handlers installed here.
void* load(const char* soname) {
    return dlopen(soname, RTLD_NOW | RTLD_GLOBAL);
}

template <typename function>
function symbol(void* library, const char* name) {
    return library != nullptr ? reinterpret_cast<function>(dlsym(library, name)) : nullptr;
}

}  // namespace

void quiet_audio_stack() {
    void* alsa = load("libasound.so.2");
    if (auto set = symbol<int (*)(alsa_handler)>(alsa, "snd_lib_error_set_handler")) {
        set(&ignore_alsa_message);
    }
    void* jack = load("libjack.so.0");
    if (auto set = symbol<void (*)(jack_handler)>(jack, "jack_set_error_function")) {
        set(&ignore_jack_message);
    }
    if (auto set = symbol<void (*)(jack_handler)>(jack, "jack_set_info_function")) {
        set(&ignore_jack_message);
    }
    SDL_LogSetOutputFunction(&ignore_sdl_message, nullptr);
}
