#include "sound/sound_file.hpp"

#include "sound/decoder.hpp"
#include "sound/mono_mix.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

#define STB_VORBIS_HEADER_ONLY
#include <stb/stb_vorbis.h>

// Windows has neither libsndfile nor a packaged equivalent, so the two formats a
// soundtrack comes in are decoded here: Ogg Vorbis through stb_vorbis and WAV by hand. As
// on Linux the format is judged by the content, whatever the file's name says, and the
// file is decoded whole when it is opened: stb_vorbis decodes from memory, and a
// soundtrack of a few minutes is a few megabytes of samples.

namespace {

using bytes = std::vector<unsigned char>;

std::uint32_t little_endian(const unsigned char* at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | at[i];
    }
    return value;
}

result<decoded_sound> decode_vorbis(const bytes& file) {
    int channels = 0;
    int rate = 0;
    short* interleaved = nullptr;
    const int frames = stb_vorbis_decode_memory(file.data(), static_cast<int>(file.size()),
                                                &channels, &rate, &interleaved);
    if (frames <= 0 || channels < 1 || rate < 1) {
        std::free(interleaved);
        return failure("a broken Ogg Vorbis stream");
    }
    decoded_sound sound;
    sound.frames_per_second = rate;
    sound.samples.resize(static_cast<std::size_t>(frames));
    std::vector<long> frame(static_cast<std::size_t>(channels));
    for (int f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            frame[static_cast<std::size_t>(c)] = interleaved[f * channels + c];
        }
        sound.samples[static_cast<std::size_t>(f)] = mono_mean(frame.data(), channels);
    }
    std::free(interleaved);
    return sound;
}

// Integer PCM of 8 to 32 bits and 32-bit float, the forms WAV files are written in.
result<decoded_sound> decode_wav(const bytes& file) {
    int format = 0;
    int channels = 0;
    int rate = 0;
    int bits = 0;
    const unsigned char* data = nullptr;
    std::size_t data_size = 0;
    for (std::size_t at = 12; at + 8 <= file.size();) {
        const std::string_view id(reinterpret_cast<const char*>(&file[at]), 4);
        const std::size_t size = little_endian(&file[at + 4], 4);
        const std::size_t body = at + 8;
        const std::size_t available = std::min(size, file.size() - body);
        if (id == "fmt " && available >= 16) {
            format = static_cast<int>(little_endian(&file[body], 2));
            channels = static_cast<int>(little_endian(&file[body + 2], 2));
            rate = static_cast<int>(little_endian(&file[body + 4], 4));
            bits = static_cast<int>(little_endian(&file[body + 14], 2));
            if (format == 0xFFFE && available >= 26) {
                format = static_cast<int>(little_endian(&file[body + 24], 2));
            }
        } else if (id == "data") {
            data = &file[body];
            data_size = available;
        }
        at = body + size + (size & 1);
    }
    const bool integer = format == 1 && bits >= 8 && bits <= 32 && bits % 8 == 0;
    const bool floating = format == 3 && bits == 32;
    if (data == nullptr || channels < 1 || rate < 1 || !(integer || floating)) {
        return failure("a WAV form this program cannot read");
    }
    const int sample_bytes = bits / 8;
    const std::size_t frames = data_size / static_cast<std::size_t>(sample_bytes * channels);
    decoded_sound sound;
    sound.frames_per_second = rate;
    sound.samples.resize(frames);
    std::vector<long> frame(static_cast<std::size_t>(channels));
    for (std::size_t f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            const unsigned char* at =
                data + (f * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)) *
                           static_cast<std::size_t>(sample_bytes);
            const std::uint32_t raw = little_endian(at, sample_bytes);
            long value = 0;
            if (floating) {
                float real = 0;
                std::memcpy(&real, &raw, sizeof real);
                value = std::lround(std::clamp(real, -1.0f, 1.0f) * 32767.0f);
            } else if (bits == 8) {
                value = (static_cast<long>(raw) - 128) * 256;  // 8-bit WAV is unsigned
            } else {
                // Sign-extend, then keep the top 16 bits.
                const int shift = 32 - bits;
                value = static_cast<std::int32_t>(raw << shift) >> 16;
            }
            frame[static_cast<std::size_t>(c)] = value;
        }
        sound.samples[f] = mono_mean(frame.data(), channels);
    }
    return sound;
}

}  // namespace

struct sound_file::decoder_state {
    decoded_sound sound;
    std::size_t at = 0;
};

sound_file::sound_file(std::unique_ptr<decoder_state> state, int frames_per_second)
    : state_(std::move(state)), frames_per_second_(frames_per_second) {}

sound_file::~sound_file() = default;

result<std::unique_ptr<sound_file>> sound_file::open_regular(const char* path) {
    const result<bytes> whole = read_whole(path);
    if (!whole) {
        return failure(whole.error());
    }
    const bytes& file = *whole;
    const bool vorbis = file.size() >= 4 && std::memcmp(file.data(), "OggS", 4) == 0;
    const bool wav = file.size() >= 12 && std::memcmp(file.data(), "RIFF", 4) == 0 &&
                     std::memcmp(file.data() + 8, "WAVE", 4) == 0;
    if (!vorbis && !wav) {
        return failure("neither Ogg Vorbis nor WAV");
    }
    result<decoded_sound> sound = vorbis ? decode_vorbis(file) : decode_wav(file);
    if (!sound) {
        return failure(std::move(sound).error());
    }
    if (sound->samples.empty()) {
        return failure("no sound in it");
    }
    const int rate = sound->frames_per_second;
    auto state = std::make_unique<decoder_state>();
    state->sound = std::move(*sound);
    return std::unique_ptr<sound_file>(new sound_file(std::move(state), rate));
}

int sound_file::read(std::int16_t* out, int frames) {
    const std::vector<std::int16_t>& samples = state_->sound.samples;
    const std::size_t count =
        std::min(samples.size() - state_->at, static_cast<std::size_t>(std::max(frames, 0)));
    std::copy_n(samples.begin() + static_cast<std::ptrdiff_t>(state_->at), count, out);
    state_->at += count;
    return static_cast<int>(count);
}

bool sound_file::skip(std::int64_t frames) {
    const std::size_t left = state_->sound.samples.size() - state_->at;
    const auto wanted = static_cast<std::size_t>(std::max<std::int64_t>(frames, 0));
    state_->at += std::min(left, wanted);
    return wanted <= left;
}
