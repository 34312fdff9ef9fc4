#include "sound/sdl_output.hpp"

#include <SDL.h>

namespace {

// About 23 ms at 44.1 kHz: small enough that the picture follows the music closely,
// large enough that a busy machine does not starve the device.
constexpr Uint16 device_buffer_frames = 1024;

}  // namespace

sdl_output::sdl_output(block_source& source, const time_source& time)
    : source_(source), time_(time) {}

std::unique_ptr<sdl_output> sdl_output::open(block_source& source, int frames_per_second,
                                             const time_source& time, std::string& reason) {
    // The device calls into the object, so it exists first; the device stays paused, and
    // so never calls, until start().
    std::unique_ptr<sdl_output> output(new sdl_output(source, time));

    SDL_AudioSpec wanted{};
    wanted.freq = frames_per_second;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = device_buffer_frames;
    wanted.callback = &sdl_output::feed;
    wanted.userdata = output.get();
    SDL_AudioSpec obtained{};
    output->device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (output->device_ == 0) {
        reason = SDL_GetError();
        return nullptr;
    }
    // SDL reports no device latency; the buffer the device plays while the next one is
    // filled is the best estimate it allows.
    output->latency_ns_ =
        static_cast<std::int64_t>(obtained.samples) * 1'000'000'000 / obtained.freq;
    return output;
}

sdl_output::~sdl_output() {
    stop();
}

void sdl_output::start() {
    SDL_PauseAudioDevice(device_, 0);
}

void sdl_output::stop() {
    if (device_ != 0) {
        // Closing waits for a running callback to return.
        SDL_CloseAudioDevice(device_);
        device_ = 0;
    }
}

void sdl_output::feed(void* self, std::uint8_t* stream, int bytes) {
    auto* output = static_cast<sdl_output*>(self);
    output->source_.fill(reinterpret_cast<std::int16_t*>(stream),
                         bytes / static_cast<int>(sizeof(std::int16_t)),
                         output->time_.now_ns() + output->latency_ns_);
}
