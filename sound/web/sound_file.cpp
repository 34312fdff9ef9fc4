#include "sound/sound_file.hpp"

#include <algorithm>
#include <cstring>
#include <vector>

#include "sound/mono_mix.hpp"

#define STB_VORBIS_HEADER_ONLY
#include <stb/stb_vorbis.h>

// In a page the soundtrack is decoded as it is played, a slice at a time: the page's one
// thread cannot decode the whole file before the show starts without keeping the first
// picture waiting, and has no second thread to decode on. stb_vorbis decodes from the
// file held in memory; the web build plays Ogg Vorbis, the form the show's soundtrack
// comes in.

struct sound_file::decoder_state {
    std::vector<unsigned char> file;
    stb_vorbis* vorbis = nullptr;
    int channels = 0;
    std::vector<short> interleaved;
    std::vector<long> frame;
    // Frames read or passed over so far: where the next read starts.
    std::int64_t position = 0;

    bool open_decoder() {
        int error = 0;
        vorbis =
            stb_vorbis_open_memory(file.data(), static_cast<int>(file.size()), &error, nullptr);
        if (vorbis == nullptr) {
            return false;
        }
        channels = std::max(stb_vorbis_get_info(vorbis).channels, 1);
        frame.resize(static_cast<std::size_t>(channels));
        return true;
    }

    ~decoder_state() {
        if (vorbis != nullptr) {
            stb_vorbis_close(vorbis);
        }
    }
};

namespace {

// The sample rate from the Vorbis identification header, which the first Ogg page holds
// whole: 27 bytes of page header, the segment table, then packet type 1 and "vorbis",
// the version (4 bytes), the channel count (1) and the rate (4, little-endian).
int vorbis_rate(const std::vector<unsigned char>& file) {
    if (file.size() < 27) {
        return 0;
    }
    const std::size_t packet = 27 + file[26];
    if (file.size() < packet + 16 || file[packet] != 1 ||
        std::memcmp(&file[packet + 1], "vorbis", 6) != 0) {
        return 0;
    }
    std::uint32_t rate = 0;
    for (int i = 3; i >= 0; --i) {
        rate = rate << 8 | file[packet + 12 + static_cast<std::size_t>(i)];
    }
    return rate > 0 && rate <= 384000 ? static_cast<int>(rate) : 0;
}

}  // namespace

sound_file::sound_file(std::unique_ptr<decoder_state> state, int frames_per_second)
    : state_(std::move(state)), frames_per_second_(frames_per_second) {}

sound_file::~sound_file() = default;

result<std::unique_ptr<sound_file>> sound_file::open_regular(const char* path) {
    result<std::vector<unsigned char>> whole = read_whole(path);
    if (!whole) {
        return failure(std::move(whole).error());
    }
    auto state = std::make_unique<decoder_state>();
    state->file = std::move(*whole);
    if (state->file.size() < 4 || std::memcmp(state->file.data(), "OggS", 4) != 0) {
        return failure("not Ogg Vorbis, the one form the web build plays");
    }
    // The decoder is set up from the stream's headers when the first samples are asked
    // for, which is after the first picture; a stream it cannot read then plays as
    // silence of no length, and the show goes on on real time.
    const int rate = vorbis_rate(state->file);
    if (rate < 1) {
        return failure("a broken Ogg Vorbis stream");
    }
    return std::unique_ptr<sound_file>(new sound_file(std::move(state), rate));
}

int sound_file::read(std::int16_t* out, int frames) {
    decoder_state& s = *state_;
    if (s.vorbis == nullptr && !s.open_decoder()) {
        return 0;
    }
    const int channels = s.channels;
    s.interleaved.resize(static_cast<std::size_t>(std::max(frames, 0) * channels));
    int done = 0;
    while (done < frames) {
        const int got = stb_vorbis_get_samples_short_interleaved(
            s.vorbis, channels, s.interleaved.data(), (frames - done) * channels);
        if (got <= 0) {
            break;
        }
        for (int f = 0; f < got; ++f) {
            for (int c = 0; c < channels; ++c) {
                s.frame[static_cast<std::size_t>(c)] = s.interleaved[f * channels + c];
            }
            out[done + f] = mono_mean(s.frame.data(), channels);
        }
        done += got;
    }
    s.position += done;
    return done;
}

bool sound_file::skip(std::int64_t frames) {
    decoder_state& s = *state_;
    if (s.vorbis == nullptr && !s.open_decoder()) {
        return false;
    }
    const std::int64_t target = s.position + std::max<std::int64_t>(frames, 0);
    if (target >= stb_vorbis_stream_length_in_samples(s.vorbis) ||
        stb_vorbis_seek(s.vorbis, static_cast<unsigned int>(target)) == 0) {
        return false;
    }
    s.position = target;
    return true;
}
