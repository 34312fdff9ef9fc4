#include "sound/decoder.hpp"

#include <fcntl.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "platform/file_kind.hpp"

// The file is decoded whole when it is opened. An 85-second soundtrack is about 7.5 MB of
// mono 16-bit samples, decoding it takes a fraction of a second before the music starts,
// and afterwards the audio thread only copies memory: no decoder thread to keep ahead of
// playback, no queue to run dry on a busy machine.

namespace {

// An hour at 48 kHz: far beyond any soundtrack, and still memory a machine can give.
constexpr sf_count_t max_frames = sf_count_t{3600} * 48000;

struct sndfile_closer {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

struct descriptor_closer {
    int descriptor;
    ~descriptor_closer() { close(descriptor); }
};

std::string without_final_period(std::string text) {
    if (!text.empty() && text.back() == '.') {
        text.pop_back();
    }
    return text;
}

// Samples are read as 32-bit integers, so 16-bit files come through exactly and deeper
// ones keep their precision until the mix is rounded to 16 bits.
std::int16_t mix_down(const int* frame, int channels) {
    double sum = 0;
    for (int c = 0; c < channels; ++c) {
        sum += frame[c];
    }
    const long mean = std::lround(sum / channels / 65536.0);
    return static_cast<std::int16_t>(std::clamp(mean, -32768L, 32767L));
}

}  // namespace

std::optional<decoded_sound> decode_mono16(const char* path, std::string& reason) {
    reason = not_a_regular_file(path);
    if (!reason.empty()) {
        return std::nullopt;
    }
    // Opening the file ourselves gives the system's own reason when it is missing or
    // unreadable; libsndfile would only say that it failed.
    const int descriptor = open(path, O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        reason = std::strerror(errno);
        return std::nullopt;
    }
    const descriptor_closer closer{descriptor};
    SF_INFO info{};
    std::unique_ptr<SNDFILE, sndfile_closer> file(
        sf_open_fd(descriptor, SFM_READ, &info, SF_FALSE));
    if (!file) {
        reason = without_final_period(sf_strerror(nullptr));
        return std::nullopt;
    }
    if (info.channels < 1 || info.samplerate < 1) {
        reason = "no sound in it";
        return std::nullopt;
    }
    // Floating-point sources may exceed full scale; clip them rather than let them wrap.
    sf_command(file.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);

    // The header's length is only a claim: a damaged one must not become an allocation.
    if (info.frames > max_frames && info.frames < SF_COUNT_MAX) {
        reason = "its header claims " + std::to_string(info.frames) +
                 " sample frames, more than an hour of sound";
        return std::nullopt;
    }
    decoded_sound sound;
    sound.frames_per_second = info.samplerate;
    if (info.frames > 0 && info.frames < SF_COUNT_MAX) {
        sound.samples.reserve(static_cast<std::size_t>(info.frames));
    }
    constexpr sf_count_t chunk_frames = 4096;
    std::vector<int> chunk(static_cast<std::size_t>(chunk_frames * info.channels));
    for (;;) {
        const sf_count_t got = sf_readf_int(file.get(), chunk.data(), chunk_frames);
        if (got <= 0) {
            break;
        }
        if (static_cast<sf_count_t>(sound.samples.size()) + got > max_frames) {
            reason = "more than an hour of sound";
            return std::nullopt;
        }
        for (sf_count_t f = 0; f < got; ++f) {
            sound.samples.push_back(
                mix_down(&chunk[static_cast<std::size_t>(f * info.channels)], info.channels));
        }
    }
    if (sound.samples.empty()) {
        reason = "no sound in it";
        return std::nullopt;
    }
    return sound;
}
