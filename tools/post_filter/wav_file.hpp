#pragma once

#include <cstdint>
#include <vector>

#include "base/result.hpp"

// Writes samples as a 16-bit mono PCM WAV file with the canonical 44-byte header, which
// every player reads. A failure says why in the system's words.
result<> write_wav_mono16(const char* path, const std::vector<std::int16_t>& samples,
                          int frames_per_second);
