#include "sound/sound_file.hpp"

#include <fcntl.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

// Frames read from libsndfile at a time: small enough to keep the buffer a few pages.
constexpr int chunk_frames = 4096;

// An hour at 48 kHz: far beyond any soundtrack. A header claiming more is damaged, and
// whoever believes it (a whole-file decode) would try to hold it all.
constexpr sf_count_t most_frames = sf_count_t{3600} * 48000;

// libsndfile words a reason as "System error : <reason>." or "<Reason>."; the user
// needs the reason alone.
std::string tidy(std::string reason) {
    const std::string system_prefix = "System error : ";
    if (reason.starts_with(system_prefix)) {
        reason.erase(0, system_prefix.size());
    }
    if (!reason.empty() && reason.back() == '.') {
        reason.pop_back();
    }
    return reason;
}

// Opens the file ourselves, which gives the system's own reason when it is missing or
// cannot be opened (libsndfile would only say that it failed), then hands it to
// libsndfile. The caller closes both on success.
result<SNDFILE*> open_with_reason(const char* path, int flags, int mode, SF_INFO& info,
                                  int& descriptor) {
    descriptor = ::open(path, flags | O_CLOEXEC, 0644);
    if (descriptor < 0) {
        return failure(std::strerror(errno));
    }
    SNDFILE* file = sf_open_fd(descriptor, mode, &info, SF_FALSE);
    if (file == nullptr) {
        failure why(tidy(sf_strerror(nullptr)));
        close(descriptor);
        return why;
    }
    return file;
}

// Every format is read as doubles normalised to [-1, 1): integer files of up to 32 bits
// come through exactly, floating-point ones keep their scale, and a sample decoded
// beyond full scale (a loud Vorbis file, a float file over 1.0) is clipped here instead
// of wrapping in an integer conversion.
std::int16_t mix_down(const double* frame, int channels) {
    double sum = 0;
    for (int c = 0; c < channels; ++c) {
        sum += frame[c];
    }
    const double scaled = std::round(sum / channels * 32768.0);
    return static_cast<std::int16_t>(std::clamp(scaled, -32768.0, 32767.0));
}

}  // namespace

struct sound_file::decoder_state {
    decoder_state(SNDFILE* open_file, int open_descriptor, int channel_count)
        : file(open_file),
          descriptor(open_descriptor),
          channels(channel_count),
          chunk(static_cast<std::size_t>(chunk_frames) * static_cast<std::size_t>(channels)) {}
    ~decoder_state() {
        sf_close(file);
        close(descriptor);
    }
    decoder_state(const decoder_state&) = delete;
    decoder_state& operator=(const decoder_state&) = delete;

    SNDFILE* const file;
    const int descriptor;
    const int channels;
    std::vector<double> chunk;
};

sound_file::sound_file(std::unique_ptr<decoder_state> state, int frames_per_second)
    : state_(std::move(state)), frames_per_second_(frames_per_second) {}

sound_file::~sound_file() = default;

result<std::unique_ptr<sound_file>> sound_file::open_regular(const char* path) {
    SF_INFO info{};
    int descriptor = -1;
    const result<SNDFILE*> opened = open_with_reason(path, O_RDONLY, SFM_READ, info, descriptor);
    if (!opened) {
        return failure(opened.error());
    }
    SNDFILE* const file = *opened;
    const auto give_up = [&](std::string why) {
        sf_close(file);
        close(descriptor);
        return failure(std::move(why));
    };
    if (info.channels < 1 || info.samplerate < 1 || info.frames < 1) {
        return give_up("no sound in it");
    }
    if (info.frames > most_frames && info.frames < SF_COUNT_MAX) {
        return give_up("its header claims " + std::to_string(info.frames) +
                       " sample frames, more than an hour of sound");
    }
    sf_command(file, SFC_SET_NORM_DOUBLE, nullptr, SF_TRUE);
    return std::unique_ptr<sound_file>(new sound_file(
        std::make_unique<decoder_state>(file, descriptor, info.channels), info.samplerate));
}

int sound_file::read(std::int16_t* out, int frames) {
    int done = 0;
    while (done < frames) {
        const int wanted = std::min(chunk_frames, frames - done);
        const sf_count_t got = sf_readf_double(state_->file, state_->chunk.data(), wanted);
        if (got <= 0) {
            break;
        }
        for (sf_count_t f = 0; f < got; ++f) {
            out[done + f] = mix_down(&state_->chunk[static_cast<std::size_t>(f * state_->channels)],
                                     state_->channels);
        }
        done += static_cast<int>(got);
    }
    return done;
}

bool sound_file::skip(std::int64_t frames) {
    return sf_seek(state_->file, static_cast<sf_count_t>(frames), SEEK_CUR) >= 0;
}
