#include "sound/system_backend.hpp"

#include <SDL.h>

#include "platform/process.hpp"
#include "sound/quiet_audio_stack.hpp"
#include "sound/sdl_output.hpp"
#include "sound/silent_output.hpp"

system_backend::system_backend() {
    quiet_audio_stack();
    // The show owns its signals (the terminal must be restored on Ctrl+C); SDL would
    // otherwise turn them into quit events nobody reads.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    audio_subsystem_running_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (!audio_subsystem_running_) {
        audio_subsystem_failure_ = SDL_GetError();
    }
}

system_backend::~system_backend() {
    if (audio_subsystem_running_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

std::unique_ptr<audio_output> system_backend::open_output(block_source& source,
                                                          int frames_per_second, bool want_device) {
    if (want_device) {
        std::string reason = audio_subsystem_failure_;
        if (audio_subsystem_running_) {
            if (auto device = sdl_output::open(source, frames_per_second, time_, reason)) {
                return device;
            }
        }
        report_silence(reason);
    }
    return std::make_unique<silent_output>(source, frames_per_second, time_,
                                           silent_output::pacing::own_thread);
}

void system_backend::report_silence(const std::string& reason) {
    if (silence_reported_) {
        return;
    }
    silence_reported_ = true;
    report_at_exit("textshow: no sound device, the music played silently: " + reason);
}
