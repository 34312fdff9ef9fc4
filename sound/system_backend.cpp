#include "sound/system_backend.hpp"

#include "platform/process.hpp"
#include "sound/silent_output.hpp"
#include "sound/sound_device.hpp"

std::unique_ptr<audio_output> system_backend::open_output(block_source& source,
                                                          int frames_per_second, bool want_device) {
    if (want_device) {
        result<std::unique_ptr<audio_output>> device =
            open_sound_device(source, frames_per_second, time_);
        if (device) {
            return std::move(*device);
        }
        report_silence(device.error());
    }
    return std::make_unique<silent_output>(source, frames_per_second, time_,
                                           silent_output::pacing::own_thread);
}

void system_backend::report_silence(const std::string& reason) {
    if (silence_reported_) {
        return;
    }
    silence_reported_ = true;
    report_at_exit("no sound device, the music played silently: " + reason);
}
