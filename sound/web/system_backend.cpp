#include "sound/system_backend.hpp"

#include "sound/web/web_audio_output.hpp"

// In a page every stream plays through the page's audio context; the output itself
// plays on in silence, on real time, where the context will not start, and the page says
// so under the picture. A stream with nothing to hear never asks the context at all.
std::unique_ptr<audio_output> system_backend::open_output(block_source& source,
                                                          int frames_per_second, bool want_device) {
    return std::make_unique<web_audio_output>(source, frames_per_second, time_, want_device);
}
