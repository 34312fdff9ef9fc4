#pragma once

#include <memory>

#include "base/result.hpp"
#include "sound/audio_output.hpp"
#include "sound/block_source.hpp"
#include "sound/time_source.hpp"

// Opens the system's sound device for one stream: the PulseAudio client (PulseAudio, or
// PipeWire's PulseAudio service) on Linux, WASAPI's default render device on Windows.
// Fails, saying why in a few words, when none opens.
result<std::unique_ptr<audio_output>> open_sound_device(block_source& source, int frames_per_second,
                                                        const time_source& time);
